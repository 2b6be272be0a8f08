// The version information of this executable, read back by GetFileVersion.
// Linked into the executable itself, so the section is never dropped.
#ifndef ZORV_FILE_VERSION
#error "ZORV_FILE_VERSION must be defined by the build"
#endif  // ZORV_FILE_VERSION

__attribute__((section(".zorv_version"), used)) const char kZorvVersionInfo[] =
    "\\VarFileInfo\\Translation=0419 04E3\n"
    "StringFileInfo\\041904E3\\FileVersion=" ZORV_FILE_VERSION "\n"
    "StringFileInfo\\041904E3\\ProductName=ZorvGSMDemo\n";

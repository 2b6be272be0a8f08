// A Windows executable that carries no version information.
int main() { return 0; }

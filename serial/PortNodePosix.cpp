#include "serial/PortNodePosix.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace zorv {
namespace {

int Fail(TPortResult& Failure, int Code, const std::string& Path, int Fd = -1) {
    Failure = PortFailure(static_cast<uint32_t>(Code), Path);
    if (Fd >= 0) ::close(Fd);
    return -1;
}

}  // namespace

int OpenPortNode(const std::string& Path, TPortResult& Failure) {
    struct stat node {};
    if (::stat(Path.c_str(), &node) != 0) return Fail(Failure, errno, Path);
    // Not a device is "no such device", as the system says of an open that finds none.
    if (!S_ISCHR(node.st_mode)) return Fail(Failure, ENODEV, Path);
    const int fd = ::open(Path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return Fail(Failure, errno, Path);
    struct stat opened {};
    // The node may have been replaced between the check and the open.
    if (::fstat(fd, &opened) != 0 || !S_ISCHR(opened.st_mode) || opened.st_rdev != node.st_rdev)
        return Fail(Failure, ENODEV, Path, fd);
    // flock reports another holder as "would block": the port is busy.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) return Fail(Failure, errno == EWOULDBLOCK ? EBUSY : errno, Path, fd);
    return fd;
}

}  // namespace zorv

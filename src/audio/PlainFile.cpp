#include "audio/PlainFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zorbel::audio
{

namespace
{

std::string errorText(int error)
{
    return error == ENOENT ? "no such file" : std::strerror(error);
}

} // namespace

FileBytes readPlainFile(const std::string& path, std::size_t limit)
{
    FileBytes out;
    // Without O_NONBLOCK, opening a named pipe waits for a writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        out.error = errorText(errno);
        return out;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        out.error = errorText(errno);
    } else if (!S_ISREG(st.st_mode)) {
        out.error = "not a regular file";
    } else {
        // Sized as fstat says, with one byte more to meet the end; a file
        // that grows meanwhile is read on in steps, up to the limit.
        constexpr std::size_t kStep = 64 * 1024;
        out.bytes.resize(std::min(limit, std::size_t(st.st_size) + 1));
        std::size_t got = 0;
        for (;;) {
            if (got == out.bytes.size()) {
                if (got == limit)
                    break;
                out.bytes.resize(std::min(limit, got + kStep));
            }
            const ssize_t n = ::read(fd, out.bytes.data() + got, out.bytes.size() - got);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                out.error = errorText(errno);
            if (n <= 0)
                break;
            got += std::size_t(n);
        }
        out.bytes.resize(out.error.empty() ? got : 0);
    }
    ::close(fd);
    return out;
}

} // namespace zorbel::audio

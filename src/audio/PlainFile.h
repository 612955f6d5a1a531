// Reading a sound or a tune whose file the user may have replaced by
// anything at all.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace zorbel::audio
{

struct FileBytes {
    std::vector<unsigned char> bytes;
    std::string error; // why the file was not read; empty when it was
};

// Reads at most limit bytes of the file at path. Only a regular file (or a
// link to one) is read: a named pipe, a device or a folder in its place is
// refused at once ("not a regular file") instead of blocking in open() or
// read() for a writer that never comes. A missing file is "no such file".
// Plain POSIX, no Qt: the music worker calls it.
FileBytes readPlainFile(const std::string& path, std::size_t limit);

} // namespace zorbel::audio

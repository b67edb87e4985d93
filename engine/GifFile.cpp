// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "GifFile.h"

#include "RegularFile.h"

#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace {

struct FileCloser {
    void operator()(std::FILE *file) const { std::fclose(file); }
};

class Reader {
public:
    explicit Reader(std::FILE *file)
        : m_file(file) {}
    int byte() { return std::getc(m_file); }
    bool skip(std::size_t count) {
        char scratch[256];
        while (count > 0) {
            const std::size_t chunk = count < sizeof scratch ? count : sizeof scratch;
            if (std::fread(scratch, 1, chunk, m_file) != chunk)
                return false;
            count -= chunk;
        }
        return true;
    }
    bool read(unsigned char *data, std::size_t count) {
        return std::fread(data, 1, count, m_file) == count;
    }
    // Data sub-blocks up to and including the zero-length terminator.
    bool skipSubBlocks() {
        for (;;) {
            const int size = byte();
            if (size < 0)
                return false;
            if (size == 0)
                return true;
            if (!skip(std::size_t(size)))
                return false;
        }
    }
    bool atEnd() { return byte() == EOF; }

private:
    std::FILE *m_file;
};

std::size_t colorTableBytes(int flags) {
    return (flags & 0x80) ? 3u << ((flags & 0x07) + 1) : 0;
}

} // namespace

std::optional<GifFile> GifFile::inspect(const std::filesystem::path &path) {
    const int fd = openRegularFile(path, O_RDONLY);
    if (fd < 0)
        return std::nullopt;
    const std::unique_ptr<std::FILE, FileCloser> file(::fdopen(fd, "rb"));
    if (!file) {
        ::close(fd);
        return std::nullopt;
    }
    std::setvbuf(file.get(), nullptr, _IOFBF, 64 * 1024);
    char header[13];
    if (std::fread(header, 1, sizeof header, file.get()) != sizeof header ||
        (std::memcmp(header, "GIF87a", 6) != 0 && std::memcmp(header, "GIF89a", 6) != 0))
        return std::nullopt;
    Reader in(file.get());
    if (!in.skip(colorTableBytes(static_cast<unsigned char>(header[10]))))
        return std::nullopt;

    GifFile gif;
    long long delay = 0; // of the next image
    for (;;) {
        switch (in.byte()) {
        case 0x2C: { // image: position and size, flags, colour table, LZW code size, data
            if (!in.skip(8))
                return std::nullopt;
            const int flags = in.byte();
            if (flags < 0 || !in.skip(colorTableBytes(flags) + 1) || !in.skipSubBlocks())
                return std::nullopt;
            ++gif.imageCount;
            gif.totalDelay += delay;
            delay = 0;
            break;
        }
        case 0x21: { // extension: label, then data
            const int label = in.byte();
            if (label == 0xF9) { // graphic control: flags, delay (little-endian), ...
                unsigned char data[255];
                const int size = in.byte();
                if (size < 0 || !in.read(data, std::size_t(size)))
                    return std::nullopt;
                delay = size >= 3 ? data[1] | data[2] << 8 : 0;
                if (size == 0) // that was the terminator
                    break;
            }
            if (label < 0 || !in.skipSubBlocks())
                return std::nullopt;
            break;
        }
        case 0x3B: // trailer: must be the last byte
            if (!in.atEnd())
                return std::nullopt;
            return gif;
        default:
            return std::nullopt;
        }
    }
}

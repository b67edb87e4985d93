// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "GifFile.h"

#include <cstdio>
#include <cstring>
#include <memory>

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
    const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file)
        return std::nullopt;
    std::setvbuf(file.get(), nullptr, _IOFBF, 64 * 1024);
    char header[13];
    if (std::fread(header, 1, sizeof header, file.get()) != sizeof header ||
        (std::memcmp(header, "GIF87a", 6) != 0 && std::memcmp(header, "GIF89a", 6) != 0))
        return std::nullopt;
    Reader in(file.get());
    if (!in.skip(colorTableBytes(static_cast<unsigned char>(header[10]))))
        return std::nullopt;

    GifFile gif;
    for (;;) {
        switch (in.byte()) {
        case 0x2C: { // image: position and size, flags, colour table, LZW code size, data
            if (!in.skip(8))
                return std::nullopt;
            const int flags = in.byte();
            if (flags < 0 || !in.skip(colorTableBytes(flags) + 1) || !in.skipSubBlocks())
                return std::nullopt;
            ++gif.imageCount;
            break;
        }
        case 0x21: // extension: label, then data
            if (in.byte() < 0 || !in.skipSubBlocks())
                return std::nullopt;
            break;
        case 0x3B: // trailer: must be the last byte
            if (!in.atEnd())
                return std::nullopt;
            return gif;
        default:
            return std::nullopt;
        }
    }
}

// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "GifReader.h"

#include "RegularFile.h"

#include <fcntl.h>
#include <unistd.h>

std::size_t gifColourTableBytes(unsigned char flags) {
    return (flags & 0x80) ? 3u << ((flags & 0x07) + 1) : 0;
}

std::string GifBlock::imageData() const {
    std::string data;
    for (std::size_t pos = codeSizeAt() + 1; pos < bytes.size();) {
        const std::size_t size = static_cast<unsigned char>(bytes[pos++]);
        data.append(bytes, pos, size);
        pos += size;
    }
    return data;
}

GifReader::GifReader(const std::filesystem::path &path) {
    const int fd = openRegularFile(path, O_RDONLY);
    if (fd < 0)
        return;
    m_file.reset(::fdopen(fd, "rb"));
    if (!m_file) {
        ::close(fd);
        return;
    }
    std::setvbuf(m_file.get(), nullptr, _IOFBF, 64 * 1024);
    std::string header;
    if (!append(header, 13) ||
        (header.compare(0, 6, "GIF87a") != 0 && header.compare(0, 6, "GIF89a") != 0) ||
        !append(header, gifColourTableBytes(static_cast<unsigned char>(header[10]))))
        return;
    m_header = std::move(header);
}

bool GifReader::append(std::string &to, std::size_t count) {
    const std::size_t at = to.size();
    to.resize(at + count);
    return std::fread(to.data() + at, 1, count, m_file.get()) == count;
}

// Data sub-blocks up to and including the zero-length terminator.
bool GifReader::appendSubBlocks(std::string &to) {
    for (;;) {
        const int size = std::getc(m_file.get());
        if (size < 0)
            return false;
        to.push_back(char(size));
        if (size == 0)
            return true;
        if (!append(to, std::size_t(size)))
            return false;
    }
}

bool GifReader::next(GifBlock &block) {
    block.bytes.clear();
    if (!isOpen() || m_complete)
        return false;
    switch (std::getc(m_file.get())) {
    case 0x21: // extension: label, then data
        block.bytes.push_back(char(0x21));
        return append(block.bytes, 1) && appendSubBlocks(block.bytes);
    case 0x2C: // image: position and size, flags, colour table, LZW code size, data
        block.bytes.push_back(char(0x2C));
        return append(block.bytes, 9) &&
               append(block.bytes, gifColourTableBytes(block.imageFlags()) + 1) &&
               appendSubBlocks(block.bytes);
    case 0x3B: // trailer: must be the last byte
        m_complete = std::getc(m_file.get()) == EOF;
        return false;
    default:
        return false;
    }
}

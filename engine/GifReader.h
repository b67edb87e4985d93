// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

// The bytes of a colour table whose presence and size a descriptor's packed
// flags give.
std::size_t gifColourTableBytes(unsigned char flags);

// One block after a GIF's header, whole: introducer through the terminator
// of its data sub-blocks.
struct GifBlock {
    std::string bytes;

    bool isImage() const { return bytes[0] == 0x2C; }
    // An extension's label.
    unsigned char label() const { return static_cast<unsigned char>(bytes[1]); }
    // An image descriptor's packed flags.
    unsigned char imageFlags() const { return static_cast<unsigned char>(bytes[9]); }
    // Where an image's LZW minimum code size is; its sub-blocks follow.
    std::size_t codeSizeAt() const { return 10 + gifColourTableBytes(imageFlags()); }
    // An image's LZW data, its sub-blocks joined.
    std::string imageData() const;
};

// Reads a GIF file block by block, so no more than one image is ever held.
// Anything but a regular file (a FIFO would block) does not open.
class GifReader {
public:
    explicit GifReader(const std::filesystem::path &path);

    // The signature was GIF87a or GIF89a and the screen descriptor and
    // global colour table were there in full.
    bool isOpen() const { return !m_header.empty(); }
    const std::string &header() const { return m_header; }
    // The next block; false at the trailer and where the file is broken.
    bool next(GifBlock &block);
    // next() ended at a trailer that is the file's last byte.
    bool isComplete() const { return m_complete; }

private:
    bool appendSubBlocks(std::string &to);
    bool append(std::string &to, std::size_t count);

    struct Closer {
        void operator()(std::FILE *file) const { std::fclose(file); }
    };
    std::unique_ptr<std::FILE, Closer> m_file;
    std::string m_header;
    bool m_complete = false;
};

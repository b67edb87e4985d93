// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "GifLzw.h"

#include <cstdint>
#include <unordered_map>

namespace {

constexpr int maxCodes = 4096;

class BitReader {
public:
    explicit BitReader(std::string_view data)
        : m_data(data) {}
    // The next code of `width` bits (least significant first); -1 at the end.
    int read(int width) {
        while (m_count < width) {
            if (m_pos == m_data.size())
                return -1;
            m_bits |= std::uint32_t(static_cast<unsigned char>(m_data[m_pos++])) << m_count;
            m_count += 8;
        }
        const int code = int(m_bits & ((1u << width) - 1));
        m_bits >>= width;
        m_count -= width;
        return code;
    }

private:
    std::string_view m_data;
    std::size_t m_pos = 0;
    std::uint32_t m_bits = 0;
    int m_count = 0;
};

class BitWriter {
public:
    void write(int code, int width) {
        m_bits |= std::uint32_t(code) << m_count;
        m_count += width;
        while (m_count >= 8) {
            out.push_back(char(m_bits & 0xFF));
            m_bits >>= 8;
            m_count -= 8;
        }
    }
    std::string finish() {
        if (m_count > 0)
            out.push_back(char(m_bits & 0xFF));
        return std::move(out);
    }
    std::string out;

private:
    std::uint32_t m_bits = 0;
    int m_count = 0;
};

// The code widths and dictionary size a decoder has, fed one code at a time.
struct CodeState {
    explicit CodeState(int minCodeSize)
        : clear(1 << minCodeSize)
        , minCodeSize(minCodeSize) {
        reset();
    }
    void reset() {
        next = clear + 2;
        width = minCodeSize + 1;
        first = true;
    }
    // After a code other than clear and end: the entry the decoder adds.
    void advance() {
        if (!first && next < maxCodes) {
            ++next;
            if (next == (1 << width) && width < 12)
                ++width;
        }
        first = false;
    }
    const int clear;
    const int minCodeSize;
    int next = 0, width = 0;
    bool first = true;
};

bool validCodeSize(int minCodeSize) {
    return minCodeSize >= 1 && minCodeSize <= 11;
}

} // namespace

std::optional<std::vector<unsigned char>> GifLzw::decode(std::string_view data, int minCodeSize) {
    if (!validCodeSize(minCodeSize))
        return std::nullopt;
    CodeState state(minCodeSize);
    std::vector<int> prefix(maxCodes, -1), length(maxCodes, 1);
    std::vector<unsigned char> suffix(maxCodes, 0), out;
    for (int c = 0; c < state.clear; ++c)
        suffix[c] = static_cast<unsigned char>(c);
    int prev = -1;
    const auto firstOf = [&](int code) {
        while (prefix[code] >= 0)
            code = prefix[code];
        return suffix[code];
    };
    const auto emit = [&](int code) {
        const std::size_t end = out.size() + length[code];
        out.resize(end);
        for (std::size_t at = end; code >= 0; code = prefix[code])
            out[--at] = suffix[code];
    };
    BitReader reader(data);
    for (;;) {
        const int code = reader.read(state.width);
        if (code < 0 || code == state.clear + 1)
            return out;
        if (code == state.clear) {
            state.reset();
            prev = -1;
            continue;
        }
        if (prev < 0) {
            if (code >= state.clear)
                return std::nullopt;
            emit(code);
        } else {
            if (code > state.next || (code == state.next && state.next >= maxCodes))
                return std::nullopt;
            if (state.next < maxCodes) {
                const int entry = state.next;
                prefix[entry] = prev;
                suffix[entry] = firstOf(code == entry ? prev : code);
                length[entry] = length[prev] + 1;
            }
            emit(code);
        }
        state.advance();
        prev = code;
    }
}

std::string GifLzw::encode(const std::vector<unsigned char> &indices, int minCodeSize) {
    CodeState state(minCodeSize);
    BitWriter writer;
    std::unordered_map<int, int> dictionary; // (prefix code << 8 | index) -> code
    int nextCode = state.clear + 2;
    writer.write(state.clear, state.width);
    int current = -1;
    for (const unsigned char index : indices) {
        if (current < 0) {
            current = index;
            continue;
        }
        const int key = current << 8 | index;
        if (const auto found = dictionary.find(key); found != dictionary.end()) {
            current = found->second;
            continue;
        }
        writer.write(current, state.width);
        state.advance();
        dictionary.emplace(key, nextCode++);
        current = index;
        if (nextCode == maxCodes) { // full: start over
            writer.write(state.clear, state.width);
            state.reset();
            dictionary.clear();
            nextCode = state.clear + 2;
        }
    }
    if (current >= 0) {
        writer.write(current, state.width);
        state.advance();
    }
    writer.write(state.clear + 1, state.width);
    return writer.finish();
}

std::optional<std::vector<bool>> GifLzw::usedIndices(std::string_view data, int minCodeSize) {
    if (!validCodeSize(minCodeSize))
        return std::nullopt;
    CodeState state(minCodeSize);
    BitReader reader(data);
    std::vector<bool> used(std::size_t(state.clear), false);
    for (;;) {
        const int code = reader.read(state.width);
        if (code < 0 || code == state.clear + 1)
            return used;
        if (code == state.clear) {
            state.reset();
            continue;
        }
        if (code > state.next || (state.first && code > state.clear))
            return std::nullopt;
        if (code < state.clear)
            used[std::size_t(code)] = true;
        state.advance();
    }
}

std::optional<std::string> GifLzw::relabel(std::string_view data, int minCodeSize,
                                           const std::array<unsigned char, 256> &map) {
    if (!validCodeSize(minCodeSize))
        return std::nullopt;
    CodeState state(minCodeSize);
    BitReader reader(data);
    BitWriter writer;
    for (;;) {
        const int width = state.width;
        const int code = reader.read(width);
        if (code < 0)
            return writer.finish();
        if (code == state.clear + 1) {
            writer.write(code, width);
            return writer.finish();
        }
        if (code == state.clear) {
            writer.write(code, width);
            state.reset();
            continue;
        }
        if (code > state.next || (state.first && code > state.clear))
            return std::nullopt;
        if (code < state.clear) {
            if (code > 255 || map[code] >= state.clear)
                return std::nullopt;
            writer.write(map[code], width);
        } else {
            writer.write(code, width);
        }
        state.advance();
    }
}

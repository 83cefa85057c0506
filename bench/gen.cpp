// SPDX-License-Identifier: GPL-3.0-or-later
// Writes a test document of a given size, the same bytes on every run.
//
//   tavlo_bench_gen ascii|accented|longline BYTES PATH
//
// ascii: lines of plain words ending in CR LF. accented: lines of UTF-8 words with accented
// letters (two-byte sequences) ending in LF. longline: one line of letters and digits without a
// space, ending in LF. Every file ends with a line end and has exactly BYTES bytes.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

uint32_t nextRandom(uint32_t &state)
{
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

const char *const asciiLetters = "etaoinshrdlucmfwypvbgkjqxz";
const char *const accentedLetters[] = {"é", "è", "à", "ù", "ç", "ô", "ä", "ö", "ü", "ñ", "å", "ø"};

std::string word(uint32_t &state, bool accented)
{
    std::string text;
    const int length = 2 + int(nextRandom(state) % 9);
    for (int i = 0; i < length; ++i) {
        const uint32_t pick = nextRandom(state);
        if (accented && pick % 4 == 0)
            text += accentedLetters[(pick >> 8) % 12];
        else
            text += asciiLetters[(pick >> 8) % 26];
    }
    return text;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 4) {
        fprintf(stderr, "usage: tavlo_bench_gen ascii|accented|longline BYTES PATH\n");
        return 2;
    }
    const std::string kind = argv[1];
    const long long size = atoll(argv[2]);
    const bool accented = kind == "accented";
    const std::string lineEnd = kind == "ascii" ? "\r\n" : "\n";
    if ((kind != "ascii" && !accented && kind != "longline") || size < 16) {
        fprintf(stderr, "tavlo_bench_gen: unknown kind or size too small\n");
        return 2;
    }

    std::string text;
    text.reserve(size_t(size) + 64);
    uint32_t state = 2463534242u;
    if (kind == "longline") {
        const char *const characters = "abcdefghijklmnopqrstuvwxyz0123456789";
        while (text.size() + lineEnd.size() < size_t(size))
            text += characters[nextRandom(state) % 36];
        text += lineEnd;
    } else {
        std::string line;
        for (;;) {
            line.clear();
            const size_t lineLength = 40 + nextRandom(state) % 50;
            while (line.size() < lineLength)
                line += (line.empty() ? "" : " ") + word(state, accented);
            line += lineEnd;
            if (text.size() + line.size() + lineEnd.size() > size_t(size))
                break;
            text += line;
        }
        // The last line is filled up with ASCII letters to the exact size.
        const size_t left = size_t(size) - text.size() - lineEnd.size();
        text += std::string(left, 'x') + lineEnd;
    }

    FILE *out = fopen(argv[3], "wb");
    if (!out || fwrite(text.data(), 1, text.size(), out) != text.size() || fclose(out) != 0) {
        perror(argv[3]);
        return 1;
    }
    return 0;
}

#pragma once
// The three Cyrillic 8-bit code pages the editor reads: 1 Windows-1251, 2 DOS (code page 866),
// 3 KOI8-R. Codes below 128 are common to all three; the upper half is mapped through fixed
// pairing tables (each a permutation of 0x80..0xFF).

#include <QByteArray>
#include <array>

namespace MdlCode {

enum Coding { Windows = 1, Dos = 2, Koi = 3 };

// Converts text from one coding to another through Windows-1251. The result has the same length.
// A coding number outside 1..3 leaves the text unchanged.
QByteArray ConvertCoding(const QByteArray &text, int fromCoding, int toCoding);

// The pairing table of a coding: entry i is the code paired with Windows-1251 code 0x80 + i.
// Empty for a coding number outside 1..3.
const std::array<uchar, 128> *PairingTable(int coding);

} // namespace MdlCode

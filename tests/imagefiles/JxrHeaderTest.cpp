// SPDX-License-Identifier: MIT
// The program's own reading of a JPEG XR file's directory and codestream header: the picture's
// size, checked before the helper process starts.
#include "JxrHeader.h"

#include <QtEndian>
#include <climits>
#include <gtest/gtest.h>
#include <optional>
#include <ostream>
#include <utility>
#include <vector>

namespace {

constexpr quint16 Orientation = 0xBC02;
constexpr quint16 ContainerWidth = 0xBC80;
constexpr quint16 ContainerHeight = 0xBC81;
constexpr quint16 ImageOffset = 0xBCC0;
// Stands for the codestream's offset in an entry; the builder fills it in.
constexpr quint32 AtCodestream = 0xFFFFFFFF;

constexpr quint8 Tiling = 0x80;     // in the layout flags
constexpr quint8 ShortSizes = 0x80; // in the field flags
constexpr quint8 Windowing = 0x20;
constexpr quint8 TileStretch = 0x08;

struct Entry {
    quint16 tag;
    quint32 count;
    quint32 value;
};

using Bits = std::vector<std::pair<quint32, int>>; // value, width

QByteArray LittleEndian(quint32 value, int bytes) {
    QByteArray out;
    for (int i = 0; i < bytes; ++i)
        out.append(char((value >> (8 * i)) & 0xFF));
    return out;
}

// Bit fields, most significant bit first, the last byte padded with zeros.
QByteArray PackBits(const Bits& fields) {
    QByteArray out;
    int used = 8;
    for (const auto& [value, width] : fields)
        for (int bit = width - 1; bit >= 0; --bit) {
            if (used == 8) {
                out.append('\0');
                used = 0;
            }
            if ((value >> bit) & 1u)
                out[out.size() - 1] = char(out.back() | (0x80 >> used));
            ++used;
        }
    return out;
}

// Signature, version, layout flags, field flags, colour format and depth, then the fields.
QByteArray Codestream(quint8 layout, quint8 fields, const Bits& sizes,
                      const char* signature = "WMPHOTO") {
    return QByteArray(signature, 8) + char(0x11) + char(layout) + char(fields) + char(0x01) +
           PackBits(sizes);
}

// A container whose directory holds `entries` and whose codestream follows the directory.
QByteArray Container(const std::vector<Entry>& entries, const QByteArray& codestream) {
    const quint32 codestreamAt = quint32(8 + 2 + 12 * entries.size() + 4);
    QByteArray out =
        QByteArray("II\xBC\x01", 4) + LittleEndian(8, 4) + LittleEndian(quint32(entries.size()), 2);
    for (const Entry& entry : entries)
        out += LittleEndian(entry.tag, 2) + LittleEndian(4, 2) + LittleEndian(entry.count, 4) +
               LittleEndian(entry.value == AtCodestream ? codestreamAt : entry.value, 4);
    return out + LittleEndian(0, 4) + codestream;
}

const std::vector<Entry> Plain = {{ImageOffset, 1, AtCodestream}};

QByteArray ShortHeader(quint32 width, quint32 height) {
    return Codestream(0, ShortSizes, {{width - 1, 16}, {height - 1, 16}});
}

struct HeaderCase {
    const char* name;
    QByteArray bytes;
    std::optional<QSize> size;
};

void PrintTo(const HeaderCase& c, std::ostream* out) {
    *out << c.name;
}

std::vector<HeaderCase> HeaderCases() {
    const Bits window32x16 = {{31, 16}, {15, 16}};
    auto withWindow = [&](Bits bits, quint32 top, quint32 left, quint32 bottom, quint32 right) {
        bits.insert(bits.end(), {{top, 6}, {left, 6}, {bottom, 6}, {right, 6}});
        return bits;
    };
    return {
        {"short_sizes", Container(Plain, ShortHeader(16, 8)), QSize(16, 8)},
        {"long_sizes", Container(Plain, Codestream(0, 0, {{999, 32}, {699, 32}})),
         QSize(1000, 700)},
        {"sides_off_the_macroblock_grid", Container(Plain, ShortHeader(17, 9)), QSize(17, 9)},
        {"quarter_turn_swaps_the_sides",
         Container({{ImageOffset, 1, AtCodestream}, {Orientation, 1, 5}}, ShortHeader(17, 9)),
         QSize(9, 17)},
        {"flip_keeps_the_sides",
         Container({{ImageOffset, 1, AtCodestream}, {Orientation, 1, 3}}, ShortHeader(17, 9)),
         QSize(17, 9)},
        {"orientation_out_of_range",
         Container({{ImageOffset, 1, AtCodestream}, {Orientation, 1, 8}}, ShortHeader(17, 9)),
         std::nullopt},
        // Window edges completing whole macroblocks leave the coded size.
        {"window_completing_macroblocks",
         Container(Plain, Codestream(0, ShortSizes | Windowing,
                                     withWindow({{25, 16}, {11, 16}}, 0, 0, 4, 6))),
         QSize(26, 12)},
        // Otherwise a picture of whole macroblocks loses its right and bottom edges.
        {"window_cut_off_right_and_bottom",
         Container(Plain,
                   Codestream(0, ShortSizes | Windowing, withWindow(window32x16, 0, 0, 4, 6))),
         QSize(26, 12)},
        {"window_on_the_left_refused",
         Container(Plain,
                   Codestream(0, ShortSizes | Windowing, withWindow(window32x16, 0, 2, 0, 0))),
         std::nullopt},
        // 2 x 3 tiles: counts less one, widths and heights (less the last), a stretch per tile.
        {"window_after_tile_layout",
         Container(Plain, Codestream(Tiling, ShortSizes | Windowing | TileStretch,
                                     withWindow({{31, 16},
                                                 {15, 16},
                                                 {1, 12},
                                                 {2, 12},
                                                 {1, 8},
                                                 {0, 8},
                                                 {0, 8},
                                                 {1, 8},
                                                 {2, 8},
                                                 {3, 8},
                                                 {4, 8},
                                                 {5, 8},
                                                 {6, 8}},
                                                0, 0, 4, 6))),
         QSize(26, 12)},
        {"largest_side_fitting_an_int",
         Container(Plain, Codestream(0, 0, {{0x7FFFFFFE, 32}, {0, 32}})), QSize(INT_MAX, 1)},
        {"side_beyond_an_int", Container(Plain, Codestream(0, 0, {{0x7FFFFFFF, 32}, {0, 32}})),
         std::nullopt},
        {"largest_field_wraps_to_nothing",
         Container(Plain, Codestream(0, 0, {{0xFFFFFFFF, 32}, {0, 32}})), std::nullopt},
        {"container_sizes_contradicting_the_codestream",
         Container(
             {{ContainerWidth, 1, 999}, {ContainerHeight, 1, 999}, {ImageOffset, 1, AtCodestream}},
             ShortHeader(16, 8)),
         std::nullopt},
        {"container_sizes_agreeing",
         Container(
             {{ContainerWidth, 1, 16}, {ContainerHeight, 1, 8}, {ImageOffset, 1, AtCodestream}},
             ShortHeader(16, 8)),
         QSize(16, 8)},
        {"container_sizes_of_the_turned_picture",
         Container({{ContainerWidth, 1, 9},
                    {ContainerHeight, 1, 17},
                    {ImageOffset, 1, AtCodestream},
                    {Orientation, 1, 5}},
                   ShortHeader(17, 9)),
         QSize(9, 17)},
        {"no_image_offset", Container({{ContainerWidth, 1, 16}}, ShortHeader(16, 8)), std::nullopt},
        {"image_offset_past_the_end", Container({{ImageOffset, 1, 100000}}, ShortHeader(16, 8)),
         std::nullopt},
        {"later_image_offset_wins",
         Container({{ImageOffset, 1, 3}, {ImageOffset, 1, AtCodestream}}, ShortHeader(16, 8)),
         QSize(16, 8)},
        {"earlier_image_offset_overridden",
         Container({{ImageOffset, 1, AtCodestream}, {ImageOffset, 1, 3}}, ShortHeader(16, 8)),
         std::nullopt},
        {"image_offset_with_two_values",
         Container({{ImageOffset, 2, AtCodestream}}, ShortHeader(16, 8)), std::nullopt},
        {"wrong_signature",
         Container(Plain, Codestream(0, ShortSizes, {{15, 16}, {7, 16}}, "WMPHOTA")), std::nullopt},
        {"header_ends_before_the_height", Container(Plain, Codestream(0, ShortSizes, {{15, 16}})),
         std::nullopt},
        {"directory_past_the_end", QByteArray("II\xBC\x01", 4) + LittleEndian(1000, 4),
         std::nullopt},
        {"empty_directory", Container({}, ShortHeader(16, 8)), std::nullopt},
        {"tiff_is_not_jpeg_xr",
         QByteArray("II*\0", 4) + Container(Plain, ShortHeader(16, 8)).mid(4), std::nullopt},
    };
}

class JxrHeader : public testing::TestWithParam<HeaderCase> {};

TEST_P(JxrHeader, GivesTheDecodedSize) {
    EXPECT_EQ(JxrImageSize(GetParam().bytes), GetParam().size);
}

INSTANTIATE_TEST_SUITE_P(Size, JxrHeader, testing::ValuesIn(HeaderCases()),
                         [](const testing::TestParamInfo<HeaderCase>& info) {
                             return std::string(info.param.name);
                         });

// Every prefix of a sound file: never a read past the end, a size only once the sizes are in.
TEST(JxrHeaderPrefix, NeedsTheWholeHeader) {
    const QByteArray whole = Container(Plain, ShortHeader(16, 8));
    for (qsizetype length = 0; length < whole.size(); ++length) {
        SCOPED_TRACE(length);
        EXPECT_EQ(JxrImageSize(whole.left(length)), std::nullopt);
    }
    EXPECT_EQ(JxrImageSize(whole), QSize(16, 8));
}

} // namespace

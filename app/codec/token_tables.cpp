#include "codec/token_tables.h"

#include <array>

namespace travex {
namespace {

// The token texts, in code order, one source line per run of codes. Glyph bytes are written as
// hexadecimal escapes; a string is split where a hexadecimal escape is followed by a character
// that is itself a hexadecimal digit ("\xD8" "deg"). An empty string is an unused code.
// clang-format off

// One-byte tokens, codes 0x17..0xFD.
constexpr std::string_view kOneByte[231] = {
    // 0x17..0x1F
    "\x8C", "\x91", "\x92", "\x93", "\x94", "\x95", "\x95\xBB", "\x96\xBB", "\x98",
    // 0x20..0x2F
    " ", ".", "\x99", "\x9A", "\x9B", "'", "\"", "\x9C", "\x9F", "\xA1", "(", ")", "{", "}", "[", "]",
    // 0x30..0x3F
    "0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "", "", "", "", "", "",
    // 0x40..0x4F
    "", "A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K", "L", "M", "N", "O",
    // 0x50..0x5F
    "P", "Q", "R", "S", "T", "U", "V", "W", "X", "Y", "Z", "\xA9", "Ans", "\xAB", ":", ",",
    // 0x60..0x6F
    "=", "\xB1", ">", "\xB2", "<", "\xB3", "and ", "or ", "xor ", "xnor ", "not ", "neg ", "", "e", "", "",
    // 0x70..0x7F
    "*", "/", "+", "-", "\xB7\xBF", "\xB8", "^", "\xB9", "\xBA", "\xBB", "\xBC", "!", "\xBE", "x'", "y'", "\xD8" "deg",
    // 0x80..0x8F
    "\xD8" "dms", "\xBF", "log ", "ln ", "log\x84 ", "\xC1^", "e^", "2^", "sin ", "cos ", "tan ", "sin\xBC ", "cos\xBC ", "tan\xBC ", "sinh ", "cosh ",
    // 0x90..0x9F
    "tanh ", "sinh\xBC ", "cosh\xBC ", "tanh\xBC ", "sec ", "csc ", "cot ", "sec\xBC ", "csc\xBC ", "cot\xBC ", "int ", "ipart ", "fpart ", "cumul ", "df_list ", "augment(",
    // 0xA0..0xAF
    "seq(", "xy\xD8r(", "xy\xD8\xA9(", "r\xA9\xD8x(", "r\xA9\xD8y(", "abs(", "d/dx(", "fmin(", "fmax(", "min(", "max(", "mean(", "median(", "sum(", "prod(", "stdDv(",
    // 0xB0..0xBF
    "varian(", "lcm(", "gcd(", "%", "", "", "round(", "\xC2(", "conj(", "real(", "image(", "arg(", "\xC3", "dx", "random ", "\x97",
    // 0xC0..0xCF
    "n", "n\x83", "n\x84", "\xAD", "\xAD\x83", "\xAD\x84", "sx", "sx\x83", "sx\x84", "sxp", "\xCBx", "xmin", "xmax", "\xC2x", "\xC2x\xBB", "\xC2xy",
    // 0xD0..0xDF
    "\xAE", "sy", "\xCBy", "ymin", "ymax", "\xC2y", "\xC2y\xBB", "", "", "p", "", "", "", "", "z", "t",
    // 0xE0..0xEF
    "\xCD\xBB", "\xCE", "df", "", "\xAC", "\xAC\x83", "\xAC\x84", "s", "", "", "", "", "", "", "lower", "upper",
    // 0xF0..0xFD
    "x\x83", "x\x84", "x\x85", "y\x83", "y\x84", "y\x85", "Q\x83", "Med", "Q\x85", "C-Level", "prop", "\xCA", "", "\r\n",
};

// Prefix 0x05: statistics plot kinds.
constexpr std::string_view kPrefix05[23] = {
    // index 0x10..0x1F
    "Hist", "Broken\xD3", "Broken\xD2", "Broken\xD1", "Norm\xD3_x", "Norm\xD2_x", "Norm\xD1_x", "Norm\xD3_y", "Norm\xD2_y", "Norm\xD1_y", "NormDis", "Box", "MBox\xD3", "MBox\xD2", "MBox\xD1", "Scattr\xD3",
    // index 0x20..0x26
    "Scattr\xD2", "Scattr\xD1", "xyLine\xD3", "xyLine\xD2", "xyLine\xD1", "Pie", "Pie%",
};

// Prefix 0x07: window, zoom, table and finance variables.
constexpr std::string_view kPrefix07[57] = {
    // index 0x10..0x1F
    "Xmin", "Xmax", "Xscl", "Ymin", "Ymax", "Yscl", "", "", "X_Fact", "Y_Fact", "Zm_Xmin", "Zm_Xmax", "Zm_Xscl", "Zm_Ymin", "Zm_Ymax", "Zm_Yscl",
    // index 0x20..0x2F
    "Tmin", "Tmax", "Tstep", "Zm_Tmin", "Zm_Tmax", "Zm_Tstp", "\xA9min", "\xA9max", "\xA9step", "Zm_\xA9min", "Zm_\xA9max", "Zm_\xA9stp", "", "", "", "",
    // index 0x30..0x3F
    "\x98Min", "\x98Max", "PlotStart", "PlotStep", "Zm_\x98Min", "Zm_\x98Max", "Zm_PltStart", "Zm_PltStp", "", "", "", "", "", "", "", "",
    // index 0x40..0x48
    "TBLStrt", "TBLStep", "\xC8", "I%", "PV", "PMT", "FV", "P/Y", "C/Y",
};

// Prefix 0x08: lists and sequence start variables.
constexpr std::string_view kPrefix08[22] = {
    // index 0x10..0x1F
    "L1", "L2", "L3", "L4", "L5", "L6", "TBLList", "resid", "", "", "", "", "", "", "", "",
    // index 0x20..0x25
    "u(\x98Min)", "v(\x98Min)", "w(\x98Min)", "Zm_u(\x98Min)", "Zm_v(\x98Min)", "Zm_w(\x98Min)",
};

// Prefix 0x09: matrices.
constexpr std::string_view kPrefix09[10] = {
    // index 0x10..0x19
    "mat A", "mat B", "mat C", "mat D", "mat E", "mat F", "mat G", "mat H", "mat I", "mat J",
};

// Prefix 0x0A: commands, statements, functions, modes.
constexpr std::string_view kPrefix0A[196] = {
    // index 0x10..0x1F
    "End", "Return", "ClrT", "ClrG", "DispT", "DispG", "Rect", "Param", "Polar", "Web", "Time", "uv", "uw", "vw", "RectCursor", "PolarCursor",
    // index 0x20..0x2F
    "ExprON", "ExprOFF", "Y'ON", "Y'OFF", "Connect", "Dot", "Sequen", "Simul", "LimON", "LimOFF", "PmtEnd", "PmtBegin", "InputList", "InputStats", "Wait ", "DrawON ",
    // index 0x30..0x3F
    "DrawOFF ", "PlotON ", "PlotOFF ", "SetList ", "ClrList ", "slv_pmt ", "slv_I% ", "slv_PV ", "slv_\xC8 ", "slv_FV ", "1_Stats ", "2_Stats ", "Med_Med ", "Rg_ax+b ", "Rg_x\xBB ", "Rg_x\xBD ",
    // index 0x40..0x4F
    "Rg_x\xF9 ", "Rg_ln ", "Rg_log ", "Rg_ab\xB7 ", "Rg_ae\xFE\xB7 ", "Rg_x\xBC ", "Rg_ax\xFE ", "Rg_ax", "", "Rg_a+bx ", "ANOVA(", "fill(", "dim(", "rnd_mat(", "row_swap(", "row_plus(",
    // index 0x50..0x5F
    "row_mult(", "row_m.p.(", "list\xD8mat(", "mat\xD8list(", "sortA(", "sortD(", "Npv(", "Irr(", "Bal(", "\xC2Prn(", "\xC2Int(", "\xD8" "Apr(", "\xD8" "Eff(", "days(", "Rg_logistic ", "Rg_sin ",
    // index 0x60..0x6F
    "remain", "int\xB6", "Shade(", "PxlON(", "PxlOFF(", "PxlCHG(", "PxlTST(", "rndInt(", "rndCoin ", "rndDice ", "", "Plt1(", "Plt2(", "Plt3(", "cdfnorm(", "cdfT(",
    // index 0x70..0x7F
    "cdf\xCD\xBB(", "cdf\xCE(", "cdfbin(", "cdfpoi(", "cdfgeo(", "InvNorm(", "Print ", "Input ", "Rem ", "Label ", "Goto ", "If ", "Gosub ", "Send ", "Get ", "identity ",
    // index 0x80..0x8F
    "det ", "trans ", "rowEF ", "rrowEF ", "StoPict ", "RclPict ", "StoGD ", "RclGD ", "StoLD ", "RclLD ", "Draw ", "DrawInv ", "Simp ", "\xD8" "A.xxx", "\xD8" "a\xCA" "b/c", "\xD8" "b/c",
    // index 0x90..0x9F
    "ClrDraw", "Line(", "T_line(", "Circle(", "Text(", "PntON(", "PntOFF(", "PntCHG(", "H_line ", "V_line ", "N_line(", "", "", "", "", "",
    // index 0xA0..0xAF
    "pdfnorm(", "pdfT(", "pdf\xCD\xBB(", "pdf\xCE(", "pdfbin(", "pdfpoi(", "pdfgeo(", "", "", "", "", "P_stdDv(", "rndNorm(", "rndBin(", "CrossPro(", "DotPro(",
    // index 0xB0..0xBF
    "", "For ", "Next", "Then ", "Else ", "EndIf", "While ", "WEnd", "Key ", "", "", "", "", "", "", "",
    // index 0xC0..0xCF
    "Tab ", "Deg", "Rad", "Grad", "FloatPt", "Fix", "Sci", "Eng", "Decimal", "Mixed", "Improp", "x\xCFyi", "r\xA1\xA9", "", "", "",
    // index 0xD0..0xD3
    "AxisON", "AxisOFF", "GridON", "GridOFF",
};

// Prefix 0x0B: zoom and calculate commands.
constexpr std::string_view kPrefix0B[49] = {
    // index 0x10..0x1F
    "Zm_Box", "Zm_In", "Zm_Out", "Zm_Default", "Zm_Square", "Zm_Dec", "Zm_Int", "Zm_Stat", "Zm_Auto", "Zm_x\xBC", "Zm_x\xBB", "Zm_\xBF", "Zm_\xC1\xB7", "Zm_e\xB7", "Zm_log", "Zm_ln",
    // index 0x20..0x2F
    "Zm_sin", "Zm_cos", "Zm_tan", "Zm_sin\xBC", "Zm_cos\xBC", "Zm_tan\xBC", "Zm_sinh", "Zm_cosh", "Zm_tanh", "Zm_sinh\xBC", "Zm_cosh\xBC", "Zm_tanh\xBC", "PreWin", "StoWin", "RclWin", "",
    // index 0x30..0x3F
    "Intsct", "Minimum", "Maximum", "X_Incpt", "Y_zero", "Value ", "Inflec", "\xC3" "dx", "", "", "", "", "", "", "", "",
    // index 0x40..0x40
    "TRACE",
};

// Prefix 0x0C: graph equations and sequence functions.
constexpr std::string_view kPrefix0C[54] = {
    // index 0x10..0x1F
    "Y1", "Y2", "Y3", "Y4", "Y5", "Y6", "Y7", "Y8", "Y9", "Y0", "", "", "", "", "", "",
    // index 0x20..0x2F
    "X1T", "Y1T", "X2T", "Y2T", "X3T", "Y3T", "X4T", "Y4T", "X5T", "Y5T", "X6T", "Y6T", "", "", "", "",
    // index 0x30..0x3F
    "R1", "R2", "R3", "R4", "R5", "R6", "", "", "", "", "", "", "", "", "", "",
    // index 0x40..0x45
    "u(\x98)", "v(\x98)", "w(\x98)", "u", "v", "w",
};

// Prefix 0x0D: pictures, graph databases, list databases.
constexpr std::string_view kPrefix0D[42] = {
    // index 0x10..0x1F
    "Pict1", "Pict2", "Pict3", "Pict4", "Pict5", "Pict6", "Pict7", "Pict8", "Pict9", "Pict0", "", "", "", "", "", "",
    // index 0x20..0x2F
    "G_Data1", "G_Data2", "G_Data3", "G_Data4", "G_Data5", "G_Data6", "G_Data7", "G_Data8", "G_Data9", "G_Data0", "", "", "", "", "", "",
    // index 0x30..0x39
    "L_Data1", "L_Data2", "L_Data3", "L_Data4", "L_Data5", "L_Data6", "L_Data7", "L_Data8", "L_Data9", "L_Data0",
};
// clang-format on

// {prefix, first code or index, stored slot width, entries}, in search order.
constexpr std::array<TokenTable, 9> kTables = {{
    {0x00, 0x17, 11, kOneByte},
    {0x05, 0x10, 8, kPrefix05},
    {0x07, 0x10, 15, kPrefix07},
    {0x08, 0x10, 11, kPrefix08},
    {0x09, 0x10, 6, kPrefix09},
    {0x0A, 0x10, 15, kPrefix0A},
    {0x0B, 0x10, 11, kPrefix0B},
    {0x0C, 0x10, 5, kPrefix0C},
    {0x0D, 0x10, 8, kPrefix0D},
}};

const TokenTable* table_of_prefix(std::uint8_t prefix) {
    for (const TokenTable& table : kTables) {
        if (!table.one_byte() && table.prefix == prefix) {
            return &table;
        }
    }
    return nullptr;
}

std::string_view entry(const TokenTable& table, std::uint8_t code_or_index) {
    if (code_or_index < table.first) {
        return {};
    }
    const std::size_t i = static_cast<std::size_t>(code_or_index - table.first);
    return i < table.entries.size() ? table.entries[i] : std::string_view{};
}

}  // namespace

std::span<const TokenTable> token_tables() {
    return kTables;
}

bool is_two_byte_prefix(std::uint8_t byte) {
    return byte >= 0x05 && byte <= 0x0F;
}

bool has_token_table(std::uint8_t prefix) {
    return prefix == 0x05 || (prefix >= 0x07 && prefix <= 0x0D);
}

std::string_view token_text(std::uint16_t code) {
    const auto first = static_cast<std::uint8_t>(code & 0xFF);
    const auto second = static_cast<std::uint8_t>(code >> 8);
    if (is_two_byte_prefix(first)) {
        // Prefixes 0x06, 0x0E and 0x0F have no table; an index outside a table names nothing.
        const TokenTable* table = table_of_prefix(first);
        return table ? entry(*table, second) : std::string_view{};
    }
    return entry(kTables[0], first);
}

std::string_view variable_name(std::uint16_t variable_code) {
    return token_text(static_cast<std::uint16_t>((variable_code >> 8) | (variable_code << 8)));
}

}  // namespace travex

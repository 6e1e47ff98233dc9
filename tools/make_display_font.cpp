// Draws the name display's face: a segment display of 14 segments and a dot,
// written as a BDF bitmap font with a Unicode registry so that FreeType maps
// every character to its own glyph.
// Usage: make_display_font OUTPUT
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int Width = 12, Height = 16, Ascent = 15, Descent = 1;

// Segment letters: a top, b upper right, c lower right, d bottom, e lower left,
// f upper left, g left middle, G right middle, h upper-left diagonal,
// i upper centre, j upper-right diagonal, k lower-left diagonal, l lower centre,
// m lower-right diagonal, p the dot, u the upper dot (for ':'), t the comma's tail.
const std::map<char, const char*> Glyphs = {
    {'0', "abcdefjk"}, {'1', "bcj"},      {'2', "abgGed"},  {'3', "abGcd"},    {'4', "fgGbc"},
    {'5', "afgGcd"},   {'6', "afedcgG"},  {'7', "abc"},     {'8', "abcdefgG"}, {'9', "abcdfgG"},
    {'A', "abcefgG"},  {'B', "abcdGil"},  {'C', "adef"},    {'D', "abcdil"},   {'E', "adefg"},
    {'F', "aefg"},     {'G', "acdefG"},   {'H', "bcefgG"},  {'I', "adil"},     {'J', "bcde"},
    {'K', "efgjm"},    {'L', "def"},      {'M', "bcefhj"},  {'N', "bcefhm"},   {'O', "abcdef"},
    {'P', "abefgG"},   {'Q', "abcdefm"},  {'R', "abefgGm"}, {'S', "acdfgG"},   {'T', "ail"},
    {'U', "bcdef"},    {'V', "efkj"},     {'W', "bcefkm"},  {'X', "hjkm"},     {'Y', "hjl"},
    {'Z', "adjk"},     {'-', "gG"},       {'+', "gGil"},    {'/', "jk"},       {'*', "gGhijklm"},
    {'=', "gGd"},      {'_', "d"},        {'\'', "i"},      {'"', "fi"},       {'(', "jm"},
    {')', "hk"},       {'<', "jm"},       {'>', "hk"},      {'[', "adef"},     {']', "abcd"},
    {'.', "p"},        {',', "pt"},       {':', "pu"},      {'!', "ip"},       {'?', "abGlp"},
    {'#', "bcdgGil"},  {'$', "acdfgGil"}, {'%', "fjkc"},    {'&', "adeghim"},  {'@', "abdefGi"},
    {'^', "km"},       {'`', "h"},        {'|', "il"},      {'\\', "hm"},      {';', "ut"},
    {' ', ""},
};

using Bitmap = std::vector<std::vector<bool>>;

void set(Bitmap& b, int x, int y) {
    y += 1; // one blank row above the glyph
    if (x >= 0 && x < Width && y >= 0 && y < Height) b[y][x] = true;
}
void box(Bitmap& b, int x0, int y0, int x1, int y1) {
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) set(b, x, y);
}
void line(Bitmap& b, int x0, int y0, int x1, int y1) {
    const int steps = std::abs(y1 - y0);
    for (int s = 0; s <= steps; ++s) {
        const int x = x0 + (x1 - x0) * s / (steps ? steps : 1);
        set(b, x, y0 + (y1 > y0 ? s : -s));
    }
}

// Rows 0-13 of the glyph; bars two pixels thick with a gap at each joint,
// as the segments of a display are.
void segment(Bitmap& b, char s) {
    switch (s) {
    case 'a':
        box(b, 3, 0, 8, 1);
        break;
    case 'd':
        box(b, 3, 12, 8, 13);
        break;
    case 'g':
        box(b, 3, 6, 5, 7);
        break;
    case 'G':
        box(b, 6, 6, 8, 7);
        break;
    case 'f':
        box(b, 1, 2, 2, 5);
        break;
    case 'b':
        box(b, 9, 2, 10, 5);
        break;
    case 'e':
        box(b, 1, 8, 2, 11);
        break;
    case 'c':
        box(b, 9, 8, 10, 11);
        break;
    case 'i':
        box(b, 5, 2, 6, 5);
        break;
    case 'l':
        box(b, 5, 8, 6, 11);
        break;
    case 'h':
        line(b, 3, 2, 4, 5);
        break;
    case 'j':
        line(b, 8, 2, 7, 5);
        break;
    case 'k':
        line(b, 4, 8, 3, 11);
        break;
    case 'm':
        line(b, 7, 8, 8, 11);
        break;
    case 'p':
        box(b, 5, 12, 6, 13);
        break;
    case 'u':
        box(b, 5, 4, 6, 5);
        break;
    case 't':
        line(b, 5, 14, 4, 14);
        break;
    default:
        break;
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT\n", argv[0]);
        return 2;
    }
    // Small letters show as capitals, as on the instrument.
    std::map<int, std::string> chars;
    for (const auto& [c, segs] : Glyphs) {
        chars[static_cast<unsigned char>(c)] = segs;
        if (c >= 'A' && c <= 'Z') chars[c - 'A' + 'a'] = segs;
    }

    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    if (!out) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    out << "STARTFONT 2.1\n"
        << "FONT -Quorlen-JX8P-Medium-R-Normal--16-160-75-75-C-120-ISO10646-1\n"
        << "SIZE 16 75 75\n"
        << "FONTBOUNDINGBOX " << Width << ' ' << Height << " 0 " << -Descent << "\n"
        << "STARTPROPERTIES 19\n"
        << "FOUNDRY \"Quorlen\"\nFAMILY_NAME \"JX8P\"\nWEIGHT_NAME \"Medium\"\nSLANT \"R\"\n"
        << "SETWIDTH_NAME \"Normal\"\nADD_STYLE_NAME \"\"\nPIXEL_SIZE 16\nPOINT_SIZE 160\n"
        << "RESOLUTION_X 75\nRESOLUTION_Y 75\nSPACING \"C\"\nAVERAGE_WIDTH 120\n"
        << "CHARSET_REGISTRY \"ISO10646\"\nCHARSET_ENCODING \"1\"\n"
        << "FONT_ASCENT " << Ascent << "\nFONT_DESCENT " << Descent << "\n"
        << "DEFAULT_CHAR 32\nCOPYRIGHT \"Quorlen\"\nFACE_NAME \"JX8P\"\n"
        << "ENDPROPERTIES\n"
        << "CHARS " << chars.size() << "\n";
    char hex[8];
    for (const auto& [code, segs] : chars) {
        Bitmap b(Height, std::vector<bool>(Width, false));
        for (char s : segs) segment(b, s);
        std::snprintf(hex, sizeof hex, "%04X", code);
        out << "STARTCHAR U+" << hex << "\nENCODING " << code << "\nSWIDTH 750 0\nDWIDTH " << Width
            << " 0\nBBX " << Width << ' ' << Height << " 0 " << -Descent << "\nBITMAP\n";
        for (const auto& row : b) {
            unsigned bits = 0;
            for (int x = 0; x < Width; ++x)
                if (row[x]) bits |= 0x8000u >> x;
            std::snprintf(hex, sizeof hex, "%04X", bits);
            out << hex << "\n";
        }
        out << "ENDCHAR\n";
    }
    out << "ENDFONT\n";
    return out.good() ? 0 : 1;
}

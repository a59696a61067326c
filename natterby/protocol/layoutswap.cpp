#include "natterby/protocol/layoutswap.h"

#include <array>

namespace natterby::protocol {

namespace {

struct KeyPair {
    char us;
    char russian; // Windows-1251
};

// The same key on both layouts, row by row of the keyboard.
constexpr KeyPair kKeyPairs[] = {
    {'`', '\xB8'},  // ` ё
    {'q', '\xE9'},  // q й
    {'w', '\xF6'},  // w ц
    {'e', '\xF3'},  // e у
    {'r', '\xEA'},  // r к
    {'t', '\xE5'},  // t е
    {'y', '\xED'},  // y н
    {'u', '\xE3'},  // u г
    {'i', '\xF8'},  // i ш
    {'o', '\xF9'},  // o щ
    {'p', '\xE7'},  // p з
    {'[', '\xF5'},  // [ х
    {']', '\xFA'},  // ] ъ
    {'a', '\xF4'},  // a ф
    {'s', '\xFB'},  // s ы
    {'d', '\xE2'},  // d в
    {'f', '\xE0'},  // f а
    {'g', '\xEF'},  // g п
    {'h', '\xF0'},  // h р
    {'j', '\xEE'},  // j о
    {'k', '\xEB'},  // k л
    {'l', '\xE4'},  // l д
    {';', '\xE6'},  // ; ж
    {'\'', '\xFD'}, // ' э
    {'z', '\xFF'},  // z я
    {'x', '\xF7'},  // x ч
    {'c', '\xF1'},  // c с
    {'v', '\xEC'},  // v м
    {'b', '\xE8'},  // b и
    {'n', '\xF2'},  // n т
    {'m', '\xFC'},  // m ь
    {',', '\xE1'},  // , б
    {'.', '\xFE'},  // . ю
    {'~', '\xA8'},  // ~ Ё
    {'Q', '\xC9'},  // Q Й
    {'W', '\xD6'},  // W Ц
    {'E', '\xD3'},  // E У
    {'R', '\xCA'},  // R К
    {'T', '\xC5'},  // T Е
    {'Y', '\xCD'},  // Y Н
    {'U', '\xC3'},  // U Г
    {'I', '\xD8'},  // I Ш
    {'O', '\xD9'},  // O Щ
    {'P', '\xC7'},  // P З
    {'{', '\xD5'},  // { Х
    {'}', '\xDA'},  // } Ъ
    {'A', '\xD4'},  // A Ф
    {'S', '\xDB'},  // S Ы
    {'D', '\xC2'},  // D В
    {'F', '\xC0'},  // F А
    {'G', '\xCF'},  // G П
    {'H', '\xD0'},  // H Р
    {'J', '\xCE'},  // J О
    {'K', '\xCB'},  // K Л
    {'L', '\xC4'},  // L Д
    {':', '\xC6'},  // : Ж
    {'"', '\xDD'},  // " Э
    {'Z', '\xDF'},  // Z Я
    {'X', '\xD7'},  // X Ч
    {'C', '\xD1'},  // C С
    {'V', '\xCC'},  // V М
    {'B', '\xC8'},  // B И
    {'N', '\xD2'},  // N Т
    {'M', '\xDC'},  // M Ь
    {'<', '\xC1'},  // < Б
    {'>', '\xDE'},  // > Ю
    {'#', '\xB9'},  // # №
};

// Characters that only convert from the US layout to the Russian one.
constexpr KeyPair kOneWay[] = {{'/', '.'}, {'?', ','}, {'&', '?'}, {'^', ':'}};

std::array<unsigned char, 256> buildTable() {
    std::array<unsigned char, 256> table{};
    for (int c = 0; c < 256; ++c) {
        table[c] = static_cast<unsigned char>(c);
    }
    for (const KeyPair& pair : kKeyPairs) {
        table[static_cast<unsigned char>(pair.us)] = static_cast<unsigned char>(pair.russian);
        table[static_cast<unsigned char>(pair.russian)] = static_cast<unsigned char>(pair.us);
    }
    for (const KeyPair& pair : kOneWay) {
        table[static_cast<unsigned char>(pair.us)] = static_cast<unsigned char>(pair.russian);
    }
    return table;
}

} // namespace

std::string swapKeyboardLayout(std::string_view text) {
    static const std::array<unsigned char, 256> table = buildTable();
    std::string result(text);
    for (char& c : result) {
        c = static_cast<char>(table[static_cast<unsigned char>(c)]);
    }
    return result;
}

} // namespace natterby::protocol

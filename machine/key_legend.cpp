#include "machine/key_legend.h"

#include "machine/dik.h"

bool keyForCharacter(char c, TypedKey& typed)
{
    static const uint8_t letterKeys[26] = {
        DIK_A, DIK_B, DIK_C, DIK_D, DIK_E, DIK_F, DIK_G, DIK_H, DIK_I, DIK_J, DIK_K, DIK_L, DIK_M,
        DIK_N, DIK_O, DIK_P, DIK_Q, DIK_R, DIK_S, DIK_T, DIK_U, DIK_V, DIK_W, DIK_X, DIK_Y, DIK_Z,
    };
    static const uint8_t digitKeys[10] = {DIK_0, DIK_1, DIK_2, DIK_3, DIK_4, DIK_5, DIK_6, DIK_7, DIK_8, DIK_9};
    static const struct {
        char c;
        TypedKey typed;
    } others[] = {
        {' ', {DIK_SPACE, false}},     {'\n', {DIK_RETURN, false}},  {',', {DIK_COMMA, false}},
        {'.', {DIK_PERIOD, false}},    {';', {DIK_SEMICOLON, false}}, {':', {DIK_APOSTROPHE, false}},
        {'-', {DIK_MINUS, false}},     {'!', {DIK_1, true}},          {'"', {DIK_2, true}},
        {'#', {DIK_3, true}},          {'$', {DIK_4, true}},          {'%', {DIK_5, true}},
        {'&', {DIK_6, true}},          {'\'', {DIK_7, true}},         {'(', {DIK_8, true}},
        {')', {DIK_9, true}},          {'@', {DIK_0, true}},          {'+', {DIK_SEMICOLON, true}},
        {'*', {DIK_APOSTROPHE, true}}, {'=', {DIK_MINUS, true}},      {'<', {DIK_COMMA, true}},
        {'>', {DIK_PERIOD, true}},     {'/', {DIK_N, true}},          {'?', {DIK_B, true}},
    };
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c >= 'a' && c <= 'z') {
        typed = {letterKeys[c - 'a'], false};
        return true;
    }
    if (c >= '0' && c <= '9') {
        typed = {digitKeys[c - '0'], false};
        return true;
    }
    for (const auto& other : others) {
        if (other.c == c) {
            typed = other.typed;
            return true;
        }
    }
    return false;
}

char takeTypedCharacter(const char*& p)
{
    if (p[0] == '\\' && p[1] == 'n') {
        p += 2;
        return '\n';
    }
    return *p++;
}

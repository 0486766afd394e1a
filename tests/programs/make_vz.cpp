// Wraps an assembled program into a .vz file: a 24-byte header ("VZF0", the
// name, the type byte and the little-endian load address), then the body.
#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc != 6) {
        std::fprintf(stderr, "usage: make_vz BODY OUT NAME TYPE ADDRESS\n");
        return 1;
    }
    std::FILE* in = std::fopen(argv[1], "rb");
    std::FILE* out = std::fopen(argv[2], "wb");
    if (!in || !out) {
        std::fprintf(stderr, "make_vz: cannot open %s or %s\n", argv[1], argv[2]);
        return 1;
    }
    unsigned char header[24] = {'V', 'Z', 'F', '0'};
    std::strncpy(reinterpret_cast<char*>(header + 4), argv[3], 16);
    header[21] = static_cast<unsigned char>(std::strtoul(argv[4], nullptr, 0));
    unsigned long address = std::strtoul(argv[5], nullptr, 0);
    header[22] = static_cast<unsigned char>(address & 0xFF);
    header[23] = static_cast<unsigned char>(address >> 8);
    std::fwrite(header, 1, sizeof header, out);
    for (int c; (c = std::fgetc(in)) != EOF;) std::fputc(c, out);
    std::fclose(in);
    return std::fclose(out) == 0 ? 0 : 1;
}

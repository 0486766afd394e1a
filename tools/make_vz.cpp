// make_vz BODY OUT NAME TYPE ADDRESS: wraps an assembled program into a .vz
// file, the machine's header (name, type, load address) and then the body.
#include <cstdio>
#include <cstdlib>

#include "machine/vz_file.h"

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
    uint8_t header[VZ_HEADER_SIZE];
    makeVzHeader(header, argv[3], static_cast<uint8_t>(std::strtoul(argv[4], nullptr, 0)),
                 static_cast<uint16_t>(std::strtoul(argv[5], nullptr, 0)));
    std::fwrite(header, 1, sizeof header, out);
    for (int c; (c = std::fgetc(in)) != EOF;) std::fputc(c, out);
    std::fclose(in);
    return std::fclose(out) == 0 ? 0 : 1;
}

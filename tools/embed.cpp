// embed: writes binary files as C++ byte arrays, so that a program carries
// them inside its executable.
//
//   embed output.cpp header.h NAME FILE SIZE [NAME FILE SIZE ...]
//
// Each FILE must be exactly SIZE bytes; the generated source includes
// header.h, which declares every NAME as extern const uint8_t NAME[SIZE].

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc < 6 || (argc - 3) % 3 != 0) {
        std::fprintf(stderr, "usage: embed output.cpp header.h NAME FILE SIZE [NAME FILE SIZE ...]\n");
        return 2;
    }
    const char* outputPath = argv[1];
    std::FILE* output = std::fopen(outputPath, "w");
    if (!output) {
        std::fprintf(stderr, "embed: cannot create %s\n", outputPath);
        return 1;
    }
    std::fprintf(output, "// Generated at build time by tools/embed; do not edit.\n");
    std::fprintf(output, "#include \"%s\"\n", argv[2]);

    bool ok = true;
    for (int arg = 3; ok && arg < argc; arg += 3) {
        const char* name = argv[arg];
        const char* path = argv[arg + 1];
        long size = std::strtol(argv[arg + 2], nullptr, 10);
        std::FILE* input = std::fopen(path, "rb");
        if (!input) {
            std::fprintf(stderr, "embed: cannot open %s\n", path);
            ok = false;
            break;
        }
        std::fprintf(output, "\nconst uint8_t %s[%ld] = {", name, size);
        long count = 0;
        bool longer = false;
        for (int c; (c = std::fgetc(input)) != EOF; ++count) {
            if (count == size) {
                longer = true;
                break;
            }
            std::fprintf(output, "%s0x%02X,", count % 16 == 0 ? "\n    " : " ", c);
        }
        std::fclose(input);
        std::fprintf(output, "\n};\n");
        if (count != size || longer) {
            std::fprintf(stderr, "embed: %s is %s than %ld bytes\n", path, longer ? "longer" : "shorter", size);
            ok = false;
        }
    }
    ok = std::fclose(output) == 0 && ok;
    if (!ok) {
        std::remove(outputPath);
        return 1;
    }
    return 0;
}

// A stand-in for the programs the editor starts (browser, mail): appends its arguments, one a
// line, and then a line "--" to the file that KFM_RECORDED_ARGUMENTS names, and exits.

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    const char* record = std::getenv("KFM_RECORDED_ARGUMENTS");
    if (!record)
        return 2;
    std::FILE* out = std::fopen(record, "a");
    if (!out)
        return 1;
    for (int i = 1; i < argc; ++i)
        std::fprintf(out, "%s\n", argv[i]);
    std::fprintf(out, "--\n");
    std::fclose(out);
    return 0;
}

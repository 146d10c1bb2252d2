// mdbcheck FILE.mdb...: prints every structural finding and exits 1 when
// there is any (2 on a usage error).
#include "checker.h"

#include <cstdio>
#include <cstring>
#include <string>

int main(int argc, char** argv)
{
    mdbcheck::CheckOptions options;
    int files = 0;
    int status = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--access-made") == 0) {
            // Files Access has used: keep freed pages and other header bytes.
            options.freshHeaderTail = false;
            options.noOrphanPages = false;
            continue;
        }
        ++files;
        auto findings = mdbcheck::checkFile(argv[i], options);
        for (const auto& f : findings)
            std::printf("%s: %s\n", argv[i], mdbcheck::describe(f).c_str());
        if (!findings.empty())
            status = 1;
    }
    if (files == 0) {
        std::fprintf(stderr, "usage: %s [--access-made] FILE.mdb...\n", argv[0]);
        return 2;
    }
    return status;
}

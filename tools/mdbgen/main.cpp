// mdbgen: writes the two export templates, LOG_QVR.mdb and LOG_RESET_QVR.mdb,
// into the folder given as the only argument.
#include "templatebuilder.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::string temp = path + ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        if (!out)
            return false;
    }
    return std::rename(temp.c_str(), path.c_str()) == 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: mdbgen <output folder>\n");
        return 2;
    }
    std::string folder = argv[1];
    mdbgen::TemplateOptions options;
    // Reproducible builds pin the creation time of the LOG catalog row.
    if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH"))
        options.createdAt = mdbgen::oleDateFromUnix(std::strtod(epoch, nullptr));
    try {
        const struct {
            const char* name;
            std::span<const mdbgen::LogColumn> columns;
        } templates[] = {{"LOG_QVR.mdb", mdbgen::dataLogColumns()},
                         {"LOG_RESET_QVR.mdb", mdbgen::resetLogColumns()}};
        for (const auto& t : templates) {
            std::string path = folder + "/" + t.name;
            if (!writeFile(path, mdbgen::buildTemplate(t.columns, options))) {
                std::fprintf(stderr, "mdbgen: cannot write %s\n", path.c_str());
                return 1;
            }
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "mdbgen: %s\n", e.what());
        return 1;
    }
    return 0;
}

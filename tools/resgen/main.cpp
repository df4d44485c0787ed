// corvane-resgen OUTDIR: draws every resource picture with the program's own
// drawing layer and writes them as 4-bit BMP files named <number>.bmp.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>

#include "tools/resgen/bmp4_writer.h"
#include "tools/resgen/pictures.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTDIR\n", argv[0]);
        return 2;
    }
    const std::string outdir = argv[1];
    try {
        std::filesystem::create_directories(outdir);
        std::vector<resgen::Picture> all;
        for (auto family : {resgen::DrawAppIcon, resgen::DrawBanner, resgen::DrawInstructionIcons,
                            resgen::DrawButtonImages}) {
            for (resgen::Picture& p : family()) all.push_back(std::move(p));
        }
        for (const resgen::Picture& p : all) {
            const std::string path = outdir + "/" + p.name + ".bmp";
            std::string error;
            if (!resgen::WriteBmp4File(path, *p.pixels, p.colours, &error)) {
                std::fprintf(stderr, "corvane-resgen: %s\n", error.c_str());
                return 1;
            }
            std::printf("%s %dx%d\n", path.c_str(), p.pixels->width(), p.pixels->height());
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "corvane-resgen: %s\n", e.what());
        return 1;
    }
    return 0;
}

// corvane-resgen OUTDIR: draws every resource picture with the program's own
// drawing layer and writes them as 4-bit BMP files named <number>.bmp.
// corvane-resgen --theme-icons OUTDIR NAME: draws the application icon at
// each icon-theme size as OUTDIR/<size>x<size>/apps/NAME.png.
// corvane-resgen --windows-icon FILE: the application icon at the sizes
// Windows shows, as one .ico file.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "tools/resgen/bmp4_writer.h"
#include "tools/resgen/ico_writer.h"
#include "tools/resgen/icon_png_writer.h"
#include "tools/resgen/pictures.h"

namespace {

// Where the theme icons are transparent; no icon pixel has this colour.
constexpr COLORREF kIconBackground = RGB(255, 0, 255);

int WriteThemeIcons(const std::string& outdir, const std::string& name) {
    for (int size : resgen::kThemeIconSizes) {
        const std::string dir = outdir + "/" + std::to_string(size) + "x" + std::to_string(size) + "/apps";
        std::filesystem::create_directories(dir);
        const gdi::SurfacePtr icon = resgen::DrawThemeIcon(size, kIconBackground);
        std::string error;
        if (!resgen::WriteIconPng(dir + "/" + name + ".png", *icon, gdi::ToPixel(kIconBackground), &error)) {
            std::fprintf(stderr, "corvane-resgen: %s\n", error.c_str());
            return 1;
        }
    }
    return 0;
}

// Small-icon, large-icon and the Explorer's sizes.
constexpr int kWindowsIconSizes[] = {16, 32, 48, 256};

int WriteWindowsIcon(const std::string& path) {
    std::vector<resgen::IcoImage> images;
    const std::string part = path + ".part.png";
    for (int size : kWindowsIconSizes) {
        const gdi::SurfacePtr icon = resgen::DrawThemeIcon(size, kIconBackground);
        std::string error;
        if (!resgen::WriteIconPng(part, *icon, gdi::ToPixel(kIconBackground), &error)) {
            std::fprintf(stderr, "corvane-resgen: %s\n", error.c_str());
            return 1;
        }
        std::ifstream in(part, std::ios::binary);
        images.push_back({size, {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()}});
    }
    std::filesystem::remove(part);
    const std::vector<std::uint8_t> bytes = resgen::IcoFile(images);
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (bytes.empty() || !out.flush()) {
        std::fprintf(stderr, "corvane-resgen: cannot write %s\n", path.c_str());
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--theme-icons") {
        try {
            return WriteThemeIcons(argv[2], argv[3]);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "corvane-resgen: %s\n", e.what());
            return 1;
        }
    }
    if (argc == 3 && std::string(argv[1]) == "--windows-icon") {
        try {
            return WriteWindowsIcon(argv[2]);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "corvane-resgen: %s\n", e.what());
            return 1;
        }
    }
    if (argc != 2) {
        std::fprintf(stderr,
                     "usage: %s OUTDIR\n       %s --theme-icons OUTDIR NAME\n       %s --windows-icon FILE\n",
                     argv[0], argv[0], argv[0]);
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

// framesheet: renders the tray lamp's frame lists for people and for the build.
//   framesheet [--scale N] SHEET.png                  contact sheet of every list at every size
//   framesheet --high-contrast SHEET.png              the same in Windows' "High Contrast Black"
//   framesheet --vision SHEET.png                     the states through each colour-vision matrix
//   framesheet --measure                              how far apart the states are (Markdown)
//   framesheet --ico FILE.ico                         the program icon (green resting lamp)
//   framesheet --picture FILE.png LIST SIZE SCALE F[,F...]  chosen frames side by side
// PNG files are written through ImageMagick's `convert`, which also sets the sheet's labels.
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/images.h"
#include "ico.h"
#include "sheet.h"
#include "vision.h"

extern char** environ;

namespace {

using framesheet::Raster;

// The program icon: the green resting lamp, at the tray sizes plus the 48 px of Explorer's lists.
constexpr int32_t IconSizes[] = {16, 20, 24, 32, 48};
constexpr size_t GreenRestingLamp = 1; // DeTre frame 1

int Usage() {
    std::cerr << "usage: framesheet [--scale N] SHEET.png\n"
                 "       framesheet --high-contrast SHEET.png\n"
                 "       framesheet --vision SHEET.png\n"
                 "       framesheet --measure\n"
                 "       framesheet --ico FILE.ico\n"
                 "       framesheet --picture FILE.png LIST SIZE SCALE FRAME[,FRAME...]\n";
    return 2;
}

int32_t ParseInt(const std::string& text, const char* what) {
    size_t used = 0;
    int32_t v = 0;
    try {
        v = std::stoi(text, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used == 0 || used != text.size())
        throw std::invalid_argument(std::string(what) + " is not a number: " + text);
    return v;
}

images::FrameList ParseList(const std::string& name) {
    for (auto list : images::AllFrameLists)
        if (name == images::ListName(list)) return list;
    throw std::invalid_argument("no frame list is called " + name);
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) throw std::runtime_error("cannot write " + path);
}

// PAM keeps the alpha channel that a PPM would drop.
void WritePam(const std::string& path, const Raster& r) {
    std::ostringstream head;
    head << "P7\nWIDTH " << r.Width << "\nHEIGHT " << r.Height
         << "\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n";
    const std::string h = head.str();
    std::vector<uint8_t> bytes(h.begin(), h.end());
    bytes.insert(bytes.end(), r.Rgba.begin(), r.Rgba.end());
    WriteFile(path, bytes);
}

// Runs `convert` with the given arguments, without a shell, so paths and texts need no quoting.
void RunConvert(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    std::string tool = "convert";
    argv.push_back(tool.data());
    std::vector<std::string> copies(args);
    for (auto& a : copies)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, "convert", nullptr, nullptr, argv.data(), environ) != 0)
        throw std::runtime_error("cannot run ImageMagick's convert (is imagemagick installed?)");
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error("convert failed");
}

// Writes the raster as PNG; labels, when given, are drawn on by convert.
void WritePng(const std::string& path, const Raster& r, const std::vector<framesheet::Label>& labels) {
    const std::string pam = path + ".tmp.pam";
    WritePam(pam, r);
    std::vector<std::string> args{pam};
    if (!labels.empty()) args.insert(args.end(), {"-fill", "#202020"});
    for (const auto& l : labels) {
        // Appended, not "+" + std::string: GCC 12 takes that for an overlapping copy (-Wrestrict).
        std::string at = "+";
        at.append(std::to_string(l.X)).append("+").append(std::to_string(l.Y));
        args.insert(args.end(), {"-font", l.Bold ? "DejaVu-Sans-Bold" : "DejaVu-Sans", "-pointsize",
                                 std::to_string(l.PointSize), "-annotate", at, l.Text});
    }
    // No time stamps, so an unchanged picture gives an unchanged file.
    args.insert(args.end(), {"-strip", "-define", "png:exclude-chunks=date,time", "png:" + path});
    try {
        RunConvert(args);
    } catch (...) {
        std::remove(pam.c_str());
        throw;
    }
    std::remove(pam.c_str());
}

int WriteSheet(const std::string& path, const framesheet::Sheet& sheet) {
    WritePng(path, sheet.Image, sheet.Labels);
    std::cout << path << ": " << sheet.Image.Width << " x " << sheet.Image.Height << "\n";
    return 0;
}

// The least difference of each pair of states over the standard sizes, per theme and vision.
int PrintMeasure() {
    std::cout << std::fixed;
    std::cout.precision(1);
    for (const auto& theme : vision::CheckedThemes()) {
        std::cout << "\n" << theme.Name << " (least over ";
        for (int32_t size : images::StandardSizes)
            std::cout << size << (size == 32 ? "" : ", ");
        std::cout << " px), % of the lamp's pixels:\n\n| states |";
        for (vision::Vision v : vision::AllVisions)
            std::cout << " " << vision::VisionName(v) << " |";
        std::cout << "\n|---|";
        for (size_t i = 0; i < std::size(vision::AllVisions); ++i)
            std::cout << "---|";
        std::cout << "\n";
        std::vector<vision::PairFigure> least;
        for (int32_t size : images::StandardSizes) {
            const auto figures = vision::Figures(size, theme.Theme);
            if (least.empty()) least = figures;
            for (size_t i = 0; i < figures.size(); ++i)
                least[i].Share = std::min(least[i].Share, figures[i].Share);
        }
        const size_t visions = std::size(vision::AllVisions);
        for (size_t i = 0; i < least.size(); i += visions) {
            std::cout << "| " << least[i].A << " / " << least[i].B << " |";
            for (size_t j = 0; j < visions; ++j)
                std::cout << " " << 100 * least[i + j].Share << " |";
            std::cout << "\n";
        }
    }
    return 0;
}

int WriteIcon(const std::string& path) {
    std::vector<plat::IconImage> pictures;
    for (int32_t size : IconSizes)
        pictures.push_back(images::DrawFrames(images::FrameList::DeTre, size).at(GreenRestingLamp));
    const auto bytes = framesheet::EncodeIco(pictures);
    WriteFile(path, bytes);
    std::cout << path << ": " << bytes.size() << " bytes, " << pictures.size() << " sizes\n";
    return 0;
}

int WritePicture(const std::string& path, const std::string& listName, const std::string& size,
                 const std::string& scale, const std::string& frameList) {
    const auto list = ParseList(listName);
    const int32_t s = ParseInt(size, "SIZE");
    const int32_t k = ParseInt(scale, "SCALE");
    if (k < 1 || k > 16) throw std::invalid_argument("SCALE must be 1 to 16");
    const auto all = images::DrawFrames(list, s);
    std::vector<plat::IconImage> chosen;
    std::stringstream items(frameList);
    for (std::string item; std::getline(items, item, ',');) {
        const int32_t f = ParseInt(item, "FRAME");
        if (f < 0 || f >= static_cast<int32_t>(all.size()))
            throw std::invalid_argument(listName + " has no frame " + item);
        chosen.push_back(all[static_cast<size_t>(f)]);
    }
    if (chosen.empty()) throw std::invalid_argument("no frames chosen");
    WritePng(path, framesheet::Strip(chosen, k, 2 * k), {});
    std::cout << path << ": " << chosen.size() << " frames\n";
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    try {
        if (args.size() == 2 && args[0] == "--ico") return WriteIcon(args[1]);
        if (args.size() == 6 && args[0] == "--picture")
            return WritePicture(args[1], args[2], args[3], args[4], args[5]);
        if (args.size() == 3 && args[0] == "--scale")
            return WriteSheet(args[2], framesheet::BuildSheet(ParseInt(args[1], "N")));
        if (args.size() == 2 && args[0] == "--high-contrast")
            return WriteSheet(
                args[1], framesheet::BuildSheet(4, vision::CheckedThemes()[1].Theme, "High Contrast Black"));
        if (args.size() == 2 && args[0] == "--vision")
            return WriteSheet(args[1], framesheet::BuildVisionSheet(3));
        if (args.size() == 1 && args[0] == "--measure") return PrintMeasure();
        if (args.size() == 1 && args[0].rfind("--", 0) != 0)
            return WriteSheet(args[0], framesheet::BuildSheet(4));
        return Usage();
    } catch (const std::exception& e) {
        std::cerr << "framesheet: " << e.what() << "\n";
        return 1;
    }
}

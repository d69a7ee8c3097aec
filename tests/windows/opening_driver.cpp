// Stands in for the Opening Tool in the Wine tests (copied beside TRAVEX.exe as Opening.exe).
// It writes the parameters it was given to opening-args.txt in its folder, answers the
// handshake with the newest model's identifier, and enables the frame again.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int main() {
    const std::string command_line = GetCommandLineA();
    const std::size_t start = command_line.find('\n');
    if (start == std::string::npos) {
        return 1;
    }
    const std::string parameters = command_line.substr(start);
    char own[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, own, MAX_PATH);
    std::string folder(own);
    folder = folder.substr(0, folder.find_last_of('\\') + 1);
    if (std::FILE* out = std::fopen((folder + "opening-args.txt").c_str(), "wb")) {
        std::fwrite(parameters.data(), 1, parameters.size(), out);
        std::fclose(out);
    }
    // "\n<frame>,<message>,<number>,\n \"<settings>\""
    char* end = nullptr;
    const auto frame = reinterpret_cast<HWND>(std::strtoull(parameters.c_str() + 1, &end, 16));
    const auto message = static_cast<UINT>(std::strtoul(end + 1, &end, 16));
    Sleep(300);
    PostMessageA(frame, message, 0x3735, 0);
    Sleep(300);
    EnableWindow(frame, TRUE);
    return 0;
}

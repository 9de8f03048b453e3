// consolewatch REPORT PROGRAM: the view of a player at a console. Titles its console
// "qvwatch", waits for the key g, runs PROGRAM on the same console and, every 20 ms, replaces
// REPORT with the view: the number of the look, the title, whether the console window is in
// front (has the keyboard), the screen's lines and at the end "exit STATUS".
#include <windows.h>

#include <string>

namespace {
std::string View(HANDLE screen)
{
    char title[256] = {};
    GetConsoleTitleA(title, sizeof title);
    std::string view = std::string("title: ") + title + "\nfront: " +
                       (GetForegroundWindow() == GetConsoleWindow() ? "console\n" : "other\n");
    CONSOLE_SCREEN_BUFFER_INFO info{};
    GetConsoleScreenBufferInfo(screen, &info);
    std::string line(static_cast<size_t>(info.dwSize.X), ' ');
    for (SHORT y = 0; y < info.dwSize.Y; ++y) {
        DWORD read = 0;
        ReadConsoleOutputCharacterA(screen, line.data(), info.dwSize.X, {0, y}, &read);
        view += line.substr(0, line.find_last_not_of(' ') + 1) + "\n";
    }
    return view.substr(0, view.find_last_not_of('\n') + 1) + "\n";
}
} // namespace
int main(int argc, char** argv)
{
    SetConsoleTitleA("qvwatch");
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE), screen = GetStdHandle(STD_OUTPUT_HANDLE);
    INPUT_RECORD key{};
    DWORD count = 0, status = 0, written = 0;
    while (ReadConsoleInputA(input, &key, 1, &count) != 0 &&
           !(key.EventType == KEY_EVENT && key.Event.KeyEvent.uChar.AsciiChar == 'g'))
        ;
    STARTUPINFOA start{};
    PROCESS_INFORMATION game{};
    start.cb = sizeof start;
    std::string command = std::string("\"") + argv[2] + "\"";
    if (argc != 3 || !CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                     nullptr, &start, &game))
        return 2;
    const std::string next = std::string(argv[1]) + ".next";
    for (int look = 1, running = 1; running; ++look) {
        running = WaitForSingleObject(game.hProcess, 20) == WAIT_TIMEOUT; // a screen's pace
        std::string view = "look " + std::to_string(look) + "\n" + View(screen);
        if (!running && GetExitCodeProcess(game.hProcess, &status))
            view += "exit " + std::to_string(status) + "\n";
        HANDLE report =
            CreateFileA(next.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        WriteFile(report, view.data(), static_cast<DWORD>(view.size()), &written, nullptr);
        CloseHandle(report); // then the view replaces the last one at once
        MoveFileExA(next.c_str(), argv[1], MOVEFILE_REPLACE_EXISTING);
    }
    return 0;
}

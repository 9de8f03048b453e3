// consolewatch REPORT PROGRAM: the view of a player at a console. Titles its console
// "qvwatch", waits for the key g, runs PROGRAM on the same console and appends to REPORT
// every new view: the title, the screen's lines, at the end "exit STATUS", then "--".
#include <windows.h>

#include <string>

namespace {
std::string View(HANDLE screen)
{
    char title[256] = {};
    GetConsoleTitleA(title, sizeof title);
    std::string view = std::string("title: ") + title + "\n";
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
    if (argc != 3)
        return 2;
    SetConsoleTitleA("qvwatch");
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE), screen = GetStdHandle(STD_OUTPUT_HANDLE);
    INPUT_RECORD key{};
    DWORD count = 0;
    while (ReadConsoleInputA(input, &key, 1, &count) != 0 &&
           !(key.EventType == KEY_EVENT && key.Event.KeyEvent.uChar.AsciiChar == 'g'))
        ;
    HANDLE report = CreateFileA(argv[1], FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                CREATE_ALWAYS, 0, nullptr);
    STARTUPINFOA start{};
    start.cb = sizeof start;
    PROCESS_INFORMATION game{};
    std::string command = std::string("\"") + argv[2] + "\"";
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &start, &game))
        return 3;
    std::string last;
    for (bool running = true; running;) {
        running = WaitForSingleObject(game.hProcess, 20) == WAIT_TIMEOUT; // a screen's pace
        std::string view = View(screen);
        DWORD status = 0;
        if (!running && GetExitCodeProcess(game.hProcess, &status))
            view += "exit " + std::to_string(status) + "\n";
        DWORD written = 0;
        if (view != last)
            WriteFile(report, (view + "--\n").data(), static_cast<DWORD>(view.size() + 3),
                      &written, nullptr);
        last = view;
    }
    return 0;
}

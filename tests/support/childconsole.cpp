#include "support/childconsole.h"

#include <unistd.h>

ConsoleRun RunConsole(std::string_view keys, const std::function<void()>& body)
{
    ConsoleRun run;
    ChildProcess child;
    ChildOptions options;
    options.input = ChildInput::Pipe;
    if (!child.StartFunction(
            [&]() {
                body();
                return 0;
            },
            options)) {
        return run;
    }
    child.Write(keys);
    child.CloseInput();
    const bool ended = child.WaitExit(10000);
    run.finished = ended && child.Exited() && child.ExitCode() == 0;
    run.output = child.Output();
    run.report = child.Error();
    return run;
}

void ReportLine(const std::string& text)
{
    const std::string line = text + "\n";
    (void)!write(STDERR_FILENO, line.data(), line.size());
}

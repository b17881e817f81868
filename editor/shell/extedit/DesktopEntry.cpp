#include "DesktopEntry.h"

#include "AppSettings.h"
#include "shell/Process.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <array>
#include <tuple>

namespace kfm::extedit {

namespace {

constexpr std::string_view kEntryGroup = "[Desktop Entry]";
// Desktop tools are small scripts; the bound only keeps a broken one from holding the program.
constexpr int kToolWaitMs = 30000;
// Browsers looked for on PATH when the desktop names fewer than two.
constexpr std::array<const char*, 8> kKnownBrowsers = {
    "firefox",          "firefox-esr", "chromium", "google-chrome",
    "epiphany-browser", "konqueror",   "falkon",   "opera"};

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

// The entry's string escapes.
std::string unescapeValue(std::string_view value) {
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            out.push_back(value[i]);
            continue;
        }
        switch (const char next = value[++i]) {
        case 's':
            out.push_back(' ');
            break;
        case 'n':
            out.push_back('\n');
            break;
        case 't':
            out.push_back('\t');
            break;
        case 'r':
            out.push_back('\r');
            break;
        default:
            out.push_back('\\');
            out.push_back(next);
            break;
        }
    }
    return out;
}

// One argument's text with its field codes taken out (every "%" and the letter after it, the
// deprecated and unknown codes too); "%%" is a "%".
std::string withoutFieldCodes(const std::string& argument, bool& onlyFieldCodes) {
    std::string out;
    bool anyCode = false;
    for (std::size_t i = 0; i < argument.size(); ++i) {
        if (argument[i] == '%' && i + 1 < argument.size()) {
            const char code = argument[++i];
            if (code == '%')
                out.push_back('%');
            else
                anyCode = true;
            continue;
        }
        out.push_back(argument[i]);
    }
    onlyFieldCodes = anyCode && out.empty();
    return out;
}

bool blank(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}

} // namespace

std::optional<std::string> DesktopEntryExec(std::string_view entryText) {
    bool inGroup = false;
    while (!entryText.empty()) {
        const std::size_t end = entryText.find('\n');
        const std::string_view line =
            trimmed(entryText.substr(0, end == std::string_view::npos ? entryText.size() : end));
        entryText.remove_prefix(end == std::string_view::npos ? entryText.size() : end + 1);
        if (line.empty() || line.front() == '#')
            continue;
        if (line.front() == '[') {
            inGroup = line == kEntryGroup;
            continue;
        }
        const std::size_t equals = line.find('=');
        if (inGroup && equals != std::string_view::npos &&
            trimmed(line.substr(0, equals)) == "Exec")
            return unescapeValue(trimmed(line.substr(equals + 1)));
    }
    return std::nullopt;
}

std::optional<std::vector<std::string>> ExecArguments(std::string_view exec) {
    std::vector<std::string> arguments;
    std::size_t i = 0;
    while (i < exec.size()) {
        while (i < exec.size() && blank(exec[i]))
            ++i;
        if (i == exec.size())
            break;
        std::string argument;
        bool quotedPart = false;
        while (i < exec.size() && !blank(exec[i])) {
            if (exec[i] != '"') {
                argument.push_back(exec[i++]);
                continue;
            }
            quotedPart = true;
            ++i;
            bool closed = false;
            while (i < exec.size()) {
                const char c = exec[i++];
                if (c == '"') {
                    closed = true;
                    break;
                }
                if (c == '\\' && i < exec.size())
                    argument.push_back(exec[i++]);
                else
                    argument.push_back(c);
            }
            if (!closed)
                return std::nullopt;
        }
        bool onlyFieldCodes = false;
        std::string cleaned = withoutFieldCodes(argument, onlyFieldCodes);
        if (!onlyFieldCodes && (!cleaned.empty() || quotedPart))
            arguments.push_back(std::move(cleaned));
    }
    if (arguments.empty() || arguments.front().empty())
        return std::nullopt;
    return arguments;
}

std::string JoinCommandLine(const std::vector<std::string>& arguments) {
    std::string line;
    for (const std::string& argument : arguments) {
        if (argument.find('"') != std::string::npos)
            return {};
        if (!line.empty())
            line.push_back(' ');
        const bool quote = argument.empty() || argument.find_first_of(" \t\n") != std::string::npos;
        line += quote ? '"' + argument + '"' : argument;
    }
    return line;
}

std::string CommandLineFromDesktopEntry(std::string_view entryText) {
    const std::optional<std::string> exec = DesktopEntryExec(entryText);
    if (!exec)
        return {};
    const auto arguments = ExecArguments(*exec);
    return arguments ? JoinCommandLine(*arguments) : std::string();
}

std::string RunDesktopTool(const std::string& program, const std::vector<std::string>& args) {
    QProcess process;
    QStringList arguments;
    for (const std::string& arg : args)
        arguments << QString::fromStdString(arg);
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start(QString::fromStdString(program), arguments, QIODevice::ReadOnly);
    if (!process.waitForStarted(kToolWaitMs))
        return {};
    if (!process.waitForFinished(kToolWaitMs)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return {};
    const QByteArray output = process.readAllStandardOutput();
    const qsizetype end = output.indexOf('\n');
    return output.left(end < 0 ? output.size() : end).trimmed().toStdString();
}

std::string FindDesktopEntry(const std::string& desktopId) {
    if (desktopId.empty() || desktopId.find('/') != std::string::npos)
        return {};
    QString id = QString::fromStdString(desktopId);
    // "vendor-app.desktop" may live as "vendor/app.desktop".
    for (;;) {
        const QString found = QStandardPaths::locate(QStandardPaths::ApplicationsLocation, id);
        if (!found.isEmpty())
            return found.toStdString();
        const qsizetype dash = id.indexOf('-');
        if (dash < 0)
            return {};
        id[dash] = '/';
    }
}

std::string DefaultApplicationCommand(const ToolRunner& run, const std::string& program,
                                      const std::vector<std::string>& args) {
    const std::string path = FindDesktopEntry(run(program, args));
    if (path.empty())
        return {};
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return CommandLineFromDesktopEntry(file.read(1 << 20).toStdString());
}

std::string DetectBitmapEditor(const ToolRunner& run) {
    return DefaultApplicationCommand(run, "xdg-mime", {"query", "default", "image/bmp"});
}

void FindBitmapEditor(const ToolRunner& run) {
    std::string& editor = kfm::shell::g_AppSettings.EditorPath;
    if (editor.empty())
        editor = DetectBitmapEditor(run);
}

std::pair<std::string, std::string> DetectBrowsers(const ToolRunner& run) {
    std::vector<std::string> found;
    std::vector<QString> programs;
    const auto add = [&](const std::string& commandLine) {
        const std::vector<std::string> parts = ProgramAndArguments(commandLine);
        if (parts.empty())
            return;
        const QString program = QStandardPaths::findExecutable(QString::fromStdString(parts[0]));
        const QString key =
            QFileInfo(program.isEmpty() ? QString::fromStdString(parts[0]) : program)
                .canonicalFilePath();
        for (const QString& known : programs)
            if (!key.isEmpty() && known == key)
                return;
        programs.push_back(key);
        found.push_back(commandLine);
    };
    add(DefaultApplicationCommand(run, "xdg-settings", {"get", "default-web-browser"}));
    for (const char* name : kKnownBrowsers) {
        if (found.size() >= 2)
            break;
        const QString path = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (!path.isEmpty())
            add(JoinCommandLine({path.toStdString()}));
    }
    return {found.size() > 0 ? found[0] : std::string(),
            found.size() > 1 ? found[1] : std::string()};
}

void FindBrowsers(const ToolRunner& run) {
    auto& settings = kfm::shell::g_AppSettings;
    if (settings.BrowserPathAutoDetect)
        std::tie(settings.BrowserPathIE, settings.BrowserPathNN) = DetectBrowsers(run);
}

std::vector<std::string> ProgramAndArguments(const std::string& commandLine) {
    const QFileInfo whole(QString::fromStdString(commandLine));
    if (!commandLine.empty() && whole.isFile())
        return {commandLine};
    return kfm::shell::splitCommandLine(commandLine);
}

} // namespace kfm::extedit

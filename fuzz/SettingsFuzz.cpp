// libFuzzer target for the settings store reading a hostile INI file. Besides not crashing,
// whatever a load takes must survive a save: loading what was saved and saving it again gives
// the same file.

#include "settings/SettingsStore.h"

#include <QFile>
#include <QString>
#include <QtGlobal>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

// A private folder for the run, in memory where there is one: every save is synced to disk.
// Each input gets files of its own, since the INI reader caches a file it has read by name and
// would not notice a rewrite within the same second.
struct RunFolder {
    std::filesystem::path path;
    ~RunFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
};

const std::filesystem::path& Folder() {
    static const RunFolder folder{[] {
        const std::filesystem::path memory = "/dev/shm";
        std::string pattern =
            ((std::filesystem::is_directory(memory) ? memory
                                                    : std::filesystem::temp_directory_path()) /
             "t8fuzz-XXXXXX")
                .string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::abort();
        }
        return std::filesystem::path(pattern);
    }()};
    return folder.path;
}

QByteArray LoadAndSave(const QString& from, const QString& to) {
    t8::TTYInfo tty;
    t8::DirectorySettings dirs;
    {
        t8::SettingsStore in(from);
        (void)in.LoadSettings(tty, dirs);
    }
    {
        t8::SettingsStore out(to);
        (void)out.SaveSettings(tty, dirs);
    }
    QFile saved(to);
    return saved.open(QIODevice::ReadOnly) ? saved.readAll() : QByteArray();
}

} // namespace

// Qt's warnings about the values it cannot make sense of would drown the fuzzer's output.
extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static std::uint64_t run = 0;
    const std::filesystem::path dir = Folder() / std::to_string(run++);
    std::filesystem::create_directory(dir);
    const auto name = [&](const char* file) {
        return QString::fromStdString((dir / file).string());
    };
    {
        QFile hostile(name("hostile.ini"));
        if (!hostile.open(QIODevice::WriteOnly) ||
            hostile.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size)) !=
                static_cast<qint64>(size)) {
            std::abort();
        }
    }
    const QByteArray first = LoadAndSave(name("hostile.ini"), name("first.ini"));
    const QByteArray second = LoadAndSave(name("first.ini"), name("second.ini"));
    std::filesystem::remove_all(dir);
    if (first.isEmpty() || first != second) {
        std::abort();
    }
    return 0;
}

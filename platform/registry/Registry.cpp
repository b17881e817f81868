#include "Registry.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>
#include <QStringDecoder>

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>

namespace {

struct RegKey {
    std::string path; // "SOFTWARE/KELDO/..." relative to the user's hive
};

std::mutex& storeMutex() {
    static std::mutex mutex;
    return mutex;
}
std::string& folderOverride() {
    static std::string folder;
    return folder;
}

// Marks a key as existing even while it holds no value.
const QString kKeyMarker = QStringLiteral("@key");

std::string defaultFolder() {
    if (const char* env = std::getenv("KFM5_REGISTRY_DIR"); env && *env)
        return env;
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (base.isEmpty())
        base = QDir::homePath() + "/.config";
    return (base + "/KELDO").toStdString();
}

std::string currentFolder() {
    return folderOverride().empty() ? defaultFolder() : folderOverride();
}

std::unique_ptr<QSettings> openStore() {
    const QString folder = QString::fromStdString(currentFolder());
    QDir().mkpath(folder);
    return std::make_unique<QSettings>(folder + "/registry.ini", QSettings::IniFormat);
}

std::string joinPath(const std::string& parent, const char* subkey) {
    std::string sub = subkey ? subkey : "";
    for (char& c : sub)
        if (c == '\\')
            c = '/';
    while (!sub.empty() && sub.front() == '/')
        sub.erase(sub.begin());
    while (!sub.empty() && sub.back() == '/')
        sub.pop_back();
    if (parent.empty())
        return sub;
    if (sub.empty())
        return parent;
    return parent + "/" + sub;
}

std::optional<std::string> keyPath(HKEY key) {
    if (key == HKEY_CURRENT_USER)
        return std::string();
    if (!key)
        return std::nullopt;
    return reinterpret_cast<RegKey*>(key)->path;
}

QString valueKey(const std::string& path, const char* name) {
    const QString value = QString::fromLatin1(name ? name : "");
    return path.empty() ? value : QString::fromLatin1(path.c_str()) + "/" + value;
}

bool isUtf8(const QByteArray& bytes) {
    // Stateless: a sequence cut off at the end is an error, not a wait for more input.
    QStringDecoder decoder(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
    [[maybe_unused]] const QString ignored = decoder(bytes);
    return !decoder.hasError();
}

// The bytes of a stored text. Texts are stored as UTF-8. Earlier versions stored each byte as one
// Latin-1 character, so a UTF-8 text written by them reads as characters below U+0100 whose
// Latin-1 bytes form valid UTF-8 with at least one non-ASCII byte; those bytes are the text.
std::string storedTextBytes(const QString& text) {
    const bool oneBytePerCharacter =
        std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x100; });
    if (oneBytePerCharacter) {
        const QByteArray latin1 = text.toLatin1();
        const bool nonAscii =
            std::any_of(latin1.begin(), latin1.end(), [](char c) { return (c & 0x80) != 0; });
        if (nonAscii && isUtf8(latin1))
            return latin1.toStdString();
    }
    return text.toUtf8().toStdString();
}

// Registry names ignore case: the key as already stored when one differs from it only in case,
// else the key itself.
QString storedKey(QSettings& store, const QString& key) {
    if (store.contains(key))
        return key;
    const QStringList keys = store.allKeys();
    for (const QString& existing : keys)
        if (existing.compare(key, Qt::CaseInsensitive) == 0)
            return existing;
    return key;
}

bool keyExists(QSettings& store, const std::string& path) {
    if (path.empty())
        return true;
    return store.contains(storedKey(store, valueKey(path, nullptr) + kKeyMarker));
}

HKEY newKey(const std::string& path) {
    return reinterpret_cast<HKEY>(new RegKey{path});
}

enum class Missing { Create, Fail };

// Opens the subkey of parent, creating it and every key above it when asked.
LONG openKey(HKEY parent, const char* subkey, HKEY* out, Missing missing) {
    if (!out)
        return ERROR_INVALID_HANDLE;
    *out = nullptr;
    const auto base = keyPath(parent);
    if (!base)
        return ERROR_INVALID_HANDLE;
    const std::string path = joinPath(*base, subkey);
    std::lock_guard lock(storeMutex());
    auto store = openStore();
    if (missing == Missing::Fail) {
        if (!keyExists(*store, path))
            return ERROR_FILE_NOT_FOUND;
    } else {
        // Every key along the path exists afterwards, as the registry creates intermediate keys.
        for (size_t slash = path.find('/'); !path.empty(); slash = path.find('/', slash + 1)) {
            const std::string partial = path.substr(0, slash);
            if (!keyExists(*store, partial))
                store->setValue(valueKey(partial, nullptr) + kKeyMarker, QString());
            if (slash == std::string::npos)
                break;
        }
        store->sync();
    }
    *out = newKey(path);
    return ERROR_SUCCESS;
}

} // namespace

LONG RegCreateKeyA(HKEY parent, const char* subkey, HKEY* out) {
    return openKey(parent, subkey, out, Missing::Create);
}

LONG RegOpenKeyA(HKEY parent, const char* subkey, HKEY* out) {
    return openKey(parent, subkey, out, Missing::Fail);
}

LONG RegCloseKey(HKEY key) {
    if (!key || key == HKEY_CURRENT_USER)
        return key ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
    delete reinterpret_cast<RegKey*>(key);
    return ERROR_SUCCESS;
}

LONG RegQueryValueExA(HKEY key, const char* name, DWORD* type, BYTE* data, DWORD* size) {
    const auto path = keyPath(key);
    if (!path)
        return ERROR_INVALID_HANDLE;
    std::lock_guard lock(storeMutex());
    auto store = openStore();
    const QVariant stored = store->value(storedKey(*store, valueKey(*path, name)));
    if (!stored.isValid())
        return ERROR_FILE_NOT_FOUND;
    const QString text = stored.toString();
    std::string bytes;
    DWORD valueType = 0;
    if (text.startsWith("dword:")) {
        valueType = REG_DWORD;
        const DWORD v = text.mid(6).toUInt(nullptr, 16);
        bytes.assign(reinterpret_cast<const char*>(&v), sizeof v);
    } else if (text.startsWith("sz:")) {
        valueType = REG_SZ;
        bytes = storedTextBytes(text.mid(3));
        bytes.push_back('\0');
    } else {
        return ERROR_FILE_NOT_FOUND;
    }
    if (type)
        *type = valueType;
    if (!size)
        return data ? ERROR_INVALID_HANDLE : ERROR_SUCCESS;
    const DWORD capacity = *size;
    *size = static_cast<DWORD>(bytes.size());
    if (!data)
        return ERROR_SUCCESS;
    if (capacity < bytes.size())
        return ERROR_MORE_DATA;
    std::memcpy(data, bytes.data(), bytes.size());
    return ERROR_SUCCESS;
}

LONG RegSetValueExA(HKEY key, const char* name, DWORD type, const BYTE* data, DWORD size) {
    const auto path = keyPath(key);
    if (!path)
        return ERROR_INVALID_HANDLE;
    QString encoded;
    if (type == REG_DWORD) {
        DWORD v = 0;
        if (!data || size < sizeof v)
            return ERROR_INVALID_HANDLE;
        std::memcpy(&v, data, sizeof v);
        encoded = QString("dword:%1").arg(v, 8, 16, QChar('0'));
    } else if (type == REG_SZ) {
        // Stored without the terminating zero; a zero inside the data ends the text.
        std::string text(reinterpret_cast<const char*>(data), data ? size : 0);
        text = text.substr(0, text.find('\0'));
        encoded = "sz:" + QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    } else {
        return ERROR_INVALID_HANDLE;
    }
    std::lock_guard lock(storeMutex());
    auto store = openStore();
    store->setValue(storedKey(*store, valueKey(*path, name)), encoded);
    store->sync();
    return ERROR_SUCCESS;
}

LONG RegDeleteValueA(HKEY key, const char* name) {
    const auto path = keyPath(key);
    if (!path)
        return ERROR_INVALID_HANDLE;
    std::lock_guard lock(storeMutex());
    auto store = openStore();
    const QString k = storedKey(*store, valueKey(*path, name));
    if (!store->contains(k))
        return ERROR_FILE_NOT_FOUND;
    store->remove(k);
    store->sync();
    return ERROR_SUCCESS;
}

namespace kfm::registry {

std::string storagePath() {
    std::lock_guard lock(storeMutex());
    return currentFolder() + "/registry.ini";
}

void setStorageFolder(const std::string& folder) {
    std::lock_guard lock(storeMutex());
    folderOverride() = folder;
}

} // namespace kfm::registry

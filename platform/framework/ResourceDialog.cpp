#include "framework/ResourceDialog.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QStyle>
#include <QStyleFactory>

#include "registry/RegistryHelpers.h"
#include "resources/ResourceLibrary.h"
#include "text/TextFont.h"

namespace kfm::ui {

namespace {

constexpr int kAnsiCharset = 0;

QString fromCharset(const std::string& bytes, int charset) {
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    for (const char c : bytes) {
        const char32_t code = kfm::text::unicodeOfByte(static_cast<std::uint8_t>(c), charset);
        text.append(QString::fromUcs4(&code, 1));
    }
    return text;
}

QString fromAnsi(const std::string& bytes) {
    return fromCharset(bytes, kAnsiCharset);
}

std::string toAnsi(const QString& text) {
    std::string bytes;
    for (const char32_t c : text.toUcs4()) {
        char byte = '?';
        for (int b = 1; b < 256; ++b)
            if (kfm::text::unicodeOfByte(static_cast<std::uint8_t>(b), kAnsiCharset) == c) {
                byte = static_cast<char>(b);
                break;
            }
        bytes.push_back(byte);
    }
    return bytes;
}

} // namespace

void UseDialogStyle() {
    if (QStyle* style = QApplication::style();
        style && style->name().compare(QLatin1String("windows"), Qt::CaseInsensitive) == 0)
        return;
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Windows")));
}

QString LibraryText(HINSTANCE module, UINT id) {
    if (!module)
        return {};
    // A code page without a character set of its own reads as 1252 (the ANSI set).
    const int charset = kfm::text::charsetOfCodePage(kfm::resources::codePageOf(module));
    return fromCharset(kfm::resources::loadString(module, id),
                       charset < 0 ? kAnsiCharset : charset);
}

DialogKit::DialogKit(QWidget* owner, UINT templateId, HINSTANCE resources, std::string section)
    : owner_(owner), templateId_(templateId), resources_(resources), section_(std::move(section)) {}

QString DialogKit::text(UINT id, const QString& fallback) const {
    const QString found = LibraryText(resources_, id);
    return found.isEmpty() ? fallback : found;
}

void DialogKit::remember(int id, QWidget* control) {
    if (!control)
        return;
    control->setObjectName(QStringLiteral("id%1").arg(id));
    controls_[id] = control;
}

QWidget* DialogKit::control(int id) const {
    const auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : it->second.data();
}

int DialogKit::readInt(const char* name, int defaultValue, int min, int max) const {
    if (section_.empty())
        return defaultValue;
    return ReadRegInt(section_.c_str(), name, defaultValue, min, max);
}

void DialogKit::writeInt(const char* name, int value) const {
    if (!section_.empty())
        WriteRegInt(section_.c_str(), name, value);
}

QString DialogKit::readString(const char* name, const QString& defaultValue) const {
    if (section_.empty())
        return defaultValue;
    const std::string fallback = toAnsi(defaultValue);
    return fromAnsi(ReadRegString(section_.c_str(), name, fallback.c_str()));
}

void DialogKit::writeString(const char* name, const QString& value) const {
    if (!section_.empty())
        WriteRegString(section_.c_str(), name, toAnsi(value).c_str());
}

PreviewRefresh::PreviewRefresh(QObject* parent, int delayMs) : QObject(parent) {
    timer_.setSingleShot(true);
    timer_.setInterval(delayMs);
    pool_.setMaxThreadCount(1);
    connect(&timer_, &QTimer::timeout, this, &PreviewRefresh::start);
}

PreviewRefresh::~PreviewRefresh() {
    timer_.stop();
    pool_.waitForDone();
}

void PreviewRefresh::request() {
    ++generation_;
    timer_.start();
}

void PreviewRefresh::requestNow() {
    ++generation_;
    timer_.stop();
    start();
}

bool PreviewRefresh::pending() const {
    return timer_.isActive() || running_ || again_;
}

bool PreviewRefresh::waitUntilIdle(int milliseconds) {
    const QDeadlineTimer deadline(milliseconds);
    while (pending()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

void PreviewRefresh::start() {
    if (running_) {
        again_ = true;
        return;
    }
    if (!job_)
        return;
    running_ = true;
    again_ = false;
    const unsigned generation = generation_;
    Job job = job_;
    pool_.start([this, generation, job] {
        Apply apply = job();
        QMetaObject::invokeMethod(
            this, [this, generation, apply] { finish(generation, apply); }, Qt::QueuedConnection);
    });
}

void PreviewRefresh::finish(unsigned generation, const Apply& apply) {
    running_ = false;
    // A newer request shows its own result; this one is stale.
    if (generation == generation_ && apply)
        apply();
    if (generation == generation_)
        emit refreshed();
    if (again_ || (generation != generation_ && !timer_.isActive())) {
        again_ = false;
        start();
    }
}

ResourceDialog::ResourceDialog(QWidget* parent, UINT templateId, HINSTANCE resources,
                               std::string section)
    : QDialog(parent), kit_(this, templateId, resources, std::move(section)) {
    const QString title = kit_.text(templateId);
    if (!title.isEmpty())
        setWindowTitle(title);
}

ResourcePage::ResourcePage(QWidget* parent, UINT templateId, HINSTANCE resources,
                           std::string section)
    : QWidget(parent), kit_(this, templateId, resources, std::move(section)) {
    const QString title = kit_.text(templateId);
    if (!title.isEmpty())
        setWindowTitle(title);
}

} // namespace kfm::ui

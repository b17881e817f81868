#include "ShiverDlg.h"

#include "VaroreResourceIds.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdio>

namespace kfm::shiver {

using namespace varoreres;

namespace {

// The text with its first two "%d" replaced by the numbers (the status text of string 2).
QString withNumbers(QString text, int first, int second) {
    for (const int n : {first, second}) {
        const qsizetype at = text.indexOf(QLatin1String("%d"));
        if (at < 0)
            break;
        text.replace(at, 2, QString::number(n));
    }
    return text;
}

} // namespace

CShiverDlg::CShiverDlg(QWidget* parent, const CShiverRun& run, HINSTANCE texts)
    : ResourceDialog(parent, IDD_SHIVER, texts), run_(run), refresh_(nullptr, 0) {
    setWindowTitle(kit().text(IDD_SHIVER, QString::fromUtf8("Chvění")));
    buildControls();
    connect(&timer_, &QTimer::timeout, this, &CShiverDlg::nextPicture);
    // The dialog opens with a preview.
    UpdatePreview();
}

CShiverDlg::~CShiverDlg() {
    cancel_->store(true);
}

QSpinBox* CShiverDlg::addNumber(int id, int min, int max, int value) {
    // The spin box is the number field and its up-down in one.
    auto* spin = kit().add(id, new QSpinBox);
    spin->setRange(min, max);
    spin->setValue(value);
    return spin;
}

void CShiverDlg::buildControls() {
    const ShiverSettings defaults;
    auto* fields = new QGridLayout;
    const auto addRow = [&](int row, int id, const char* fallback, QWidget* field) {
        fields->addWidget(
            new QLabel(kit().text(static_cast<UINT>(id), QString::fromUtf8(fallback))), row, 0);
        fields->addWidget(field, row, 1);
    };
    addRow(0, IDC_DURATION, "Délka [1/100 s]",
           addNumber(IDC_DURATION, kDurationRange.min, kDurationRange.max, defaults.duration));
    addRow(1, IDC_FRAME_COUNT, "Počet rámců",
           addNumber(IDC_FRAME_COUNT, kFrameCountRange.min, kFrameCountRange.max,
                     defaults.frameCount));
    addRow(2, IDC_KEY_COUNT, "Klíčových rámců",
           addNumber(IDC_KEY_COUNT, kKeyCountRange.min, kKeyCountRange.max, defaults.keyCount));
    addRow(3, IDC_SEQUENCE, "Číslo sekvence",
           addNumber(IDC_SEQUENCE, kSequenceRange.min, kSequenceRange.max, defaults.sequence));
    type_ = kit().add(IDC_TYPE, new QComboBox);
    for (int t = 0; t < kTypeCount; ++t)
        type_->addItem(kit().text(IDS_TYPE_FIRST + static_cast<UINT>(t)));
    type_->setCurrentIndex(defaults.type);
    addRow(4, static_cast<int>(IDS_TYPE_LABEL), "Typ", type_);
    firstUndeformed_ =
        kit().add(IDC_FIRST_UNDEFORMED,
                  new QCheckBox(kit().text(IDC_FIRST_UNDEFORMED,
                                           QString::fromUtf8("První snímek bez deformace"))));
    fields->addWidget(firstUndeformed_, 5, 0, 1, 2);

    const auto rangeGroup = [&](UINT title, const char* fallback, int minId, int maxId, int min,
                                int max) {
        auto* group = new QGroupBox(kit().text(title, QString::fromUtf8(fallback)).trimmed());
        auto* layout = new QGridLayout(group);
        layout->addWidget(new QLabel(kit().text(IDS_MIN, QStringLiteral("Min"))), 0, 0);
        layout->addWidget(addNumber(minId, kShiftRange.min, kShiftRange.max, min), 0, 1);
        layout->addWidget(new QLabel(kit().text(IDS_MAX, QStringLiteral("Max"))), 1, 0);
        layout->addWidget(addNumber(maxId, kShiftRange.min, kShiftRange.max, max), 1, 1);
        return group;
    };
    auto* ranges = new QHBoxLayout;
    ranges->addWidget(rangeGroup(IDS_HORIZONTAL_GROUP, " Vodorovné chvění ", IDC_HORIZONTAL_MIN,
                                 IDC_HORIZONTAL_MAX, defaults.horizontalMin,
                                 defaults.horizontalMax));
    ranges->addWidget(rangeGroup(IDS_VERTICAL_GROUP, " Svislé chvění ", IDC_VERTICAL_MIN,
                                 IDC_VERTICAL_MAX, defaults.verticalMin, defaults.verticalMax));

    // Inside the dialog, where it can be reached.
    differencesOnly_ = kit().add(
        IDC_DIFFERENCES_ONLY,
        new QCheckBox(kit().text(IDC_DIFFERENCES_ONLY, QStringLiteral("Return differences only"))));

    auto* left = new QVBoxLayout;
    left->addLayout(fields);
    left->addLayout(ranges);
    left->addWidget(differencesOnly_);
    left->addStretch();

    preview_ = kit().add(IDC_PREVIEW, new CShiverPreview(QSize(kPreviewWidth, kPreviewHeight)));
    status_ = kit().add(IDC_STATUS, new QLabel);
    auto* update = kit().add(
        IDC_UPDATE_PREVIEW,
        new QPushButton(kit().text(IDC_UPDATE_PREVIEW, QString::fromUtf8("Aktualizovat náhled"))));
    connect(update, &QPushButton::clicked, this, &CShiverDlg::UpdatePreview);
    auto* right = new QVBoxLayout;
    right->addWidget(preview_);
    right->addWidget(status_);
    right->addWidget(update);
    right->addStretch();

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setText(kit().text(IDS_OK, QStringLiteral("OK")));
    buttons->button(QDialogButtonBox::Cancel)
        ->setText(kit().text(IDS_CANCEL, QStringLiteral("Storno")));
    connect(buttons, &QDialogButtonBox::accepted, this, &CShiverDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CShiverDlg::reject);

    auto* columns = new QHBoxLayout;
    columns->addLayout(left);
    columns->addLayout(right);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addWidget(buttons);
}

ShiverSettings CShiverDlg::Settings() const {
    const auto value = [this](int id) { return kit().controlAs<QSpinBox>(id)->value(); };
    ShiverSettings s;
    s.duration = value(IDC_DURATION);
    s.frameCount = value(IDC_FRAME_COUNT);
    s.keyCount = value(IDC_KEY_COUNT);
    s.sequence = value(IDC_SEQUENCE);
    s.type = type_->currentIndex();
    s.firstUndeformed = firstUndeformed_->isChecked();
    s.horizontalMin = value(IDC_HORIZONTAL_MIN);
    s.horizontalMax = value(IDC_HORIZONTAL_MAX);
    s.verticalMin = value(IDC_VERTICAL_MIN);
    s.verticalMax = value(IDC_VERTICAL_MAX);
    s.differencesOnly = differencesOnly_->isChecked();
    return s;
}

void CShiverDlg::SetSettings(const ShiverSettings& s) {
    const auto set = [this](int id, int v) { kit().controlAs<QSpinBox>(id)->setValue(v); };
    set(IDC_DURATION, s.duration);
    set(IDC_FRAME_COUNT, s.frameCount);
    set(IDC_KEY_COUNT, s.keyCount);
    set(IDC_SEQUENCE, s.sequence);
    type_->setCurrentIndex(s.type);
    firstUndeformed_->setChecked(s.firstUndeformed);
    set(IDC_HORIZONTAL_MIN, s.horizontalMin);
    set(IDC_HORIZONTAL_MAX, s.horizontalMax);
    set(IDC_VERTICAL_MIN, s.verticalMin);
    set(IDC_VERTICAL_MAX, s.verticalMax);
    differencesOnly_->setChecked(s.differencesOnly);
}

void CShiverDlg::setStatus(const QString& text) {
    status_->setText(text);
}

void CShiverDlg::UpdatePreview() {
    timer_.stop();
    // A computation in progress stops; the new one has its own flag.
    cancel_->store(true);
    cancel_ = std::make_shared<std::atomic<bool>>(false);
    const ShiverSettings settings = Settings();
    const std::shared_ptr<std::atomic<bool>> cancel = cancel_;
    const QString computing = kit().text(IDS_COMPUTING_FRAME);
    const CShiverRun* run = &run_;
    QPointer<CShiverDlg> self(this);
    refresh_.setJob([self, run, settings, cancel, computing]() -> kfm::ui::PreviewRefresh::Apply {
        const auto report = [self, computing, settings](int frame) {
            const QString status = withNumbers(computing, frame + 1, settings.frameCount);
            QMetaObject::invokeMethod(
                self.data(),
                [self, status] {
                    if (self)
                        self->setStatus(status);
                },
                Qt::QueuedConnection);
        };
        report(0);
        auto pictures = std::make_shared<std::vector<QImage>>(MakePreviewPictures(
            *run, settings, kPreviewWidth, kPreviewHeight, cancel.get(), [&](int j) {
                if (j + 1 < settings.frameCount)
                    report(j + 1);
            }));
        if (cancel->load())
            return {};
        return [self, pictures, settings] {
            if (!self)
                return;
            self->pictures_ = std::move(*pictures);
            self->previewCount_ = settings.frameCount;
            self->setStatus(self->kit().text(IDS_READY));
            self->showPicture(0);
            // The tick is the frames' own delay, as the sequence will play.
            self->timer_.start(std::max(10, FrameDelay(settings) * 10));
        };
    });
    refresh_.requestNow();
}

void CShiverDlg::stopPreview() {
    timer_.stop();
    cancel_->store(true);
    // The generation that follows OK uses the same random generator: the job must be over.
    while (refresh_.pending())
        refresh_.waitUntilIdle(1000);
}

void CShiverDlg::showPicture(int position) {
    position_ = pictures_.empty() ? 0 : position % static_cast<int>(pictures_.size());
    preview_->setPicture(pictures_.empty() ? QImage()
                                           : pictures_[static_cast<std::size_t>(position_)]);
    preview_->setAccessibleName(PreviewCounter());
}

void CShiverDlg::nextPicture() {
    if (!pictures_.empty())
        showPicture(position_ + 1);
}

QString CShiverDlg::PreviewCounter() const {
    if (pictures_.empty())
        return {};
    char counter[16];
    std::snprintf(counter, sizeof counter, "%.2d/%.2d", position_ + 1, previewCount_);
    return QString::fromLatin1(counter);
}

void CShiverDlg::accept() {
    stopPreview();
    ResourceDialog::accept();
}

void CShiverDlg::reject() {
    stopPreview();
    ResourceDialog::reject();
}

} // namespace kfm::shiver

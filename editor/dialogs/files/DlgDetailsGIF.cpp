#include "DlgDetailsGIF.h"

#include "Kfm5ResourceIds.h"
#include "ResourceAccess.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSizeGrip>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <array>
#include <cstring>

namespace kfm::dialogs {

namespace {

constexpr char kSection[] = "Dlgs\\DetailsGIF";
constexpr int kDefaultWidth = 520;
constexpr int kDefaultHeight = 440;
// Blocks asked for at first; the buffer doubles while the library fills it.
constexpr int kFirstCapacity = 64;
constexpr int kMaxCapacity = 1 << 22;

// The width of each column in thirtieths of the list's width.
constexpr std::array<int, 5> kColumnThirtieths = {4, 13, 6, 6, 29};

QString blockText(const KpxGifBlockInfo& block) {
    const std::size_t length = strnlen(block.text, sizeof block.text);
    return kfm::ui::FromCodePage1252(std::string(block.text, length));
}

} // namespace

QString GifFileSizeText(long long bytes, const QString& bytesFormat) {
    if (bytes < 1000)
        return FillFormat(bytesFormat, {QString::number(bytes)});
    return QString::asprintf("%.3f kB", static_cast<double>(bytes) / 1000.0).replace('.', ',');
}

QString FillFormat(const QString& format, const QStringList& values) {
    QString out;
    qsizetype next = 0;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format[i];
        if (c != '%' || i + 1 >= format.size()) {
            out += c;
            continue;
        }
        const QChar kind = format[i + 1];
        if (kind == '%') {
            out += '%';
        } else if (kind == 's' || kind == 'd' || kind == 'u') {
            if (next < values.size())
                out += values[next];
            ++next;
        } else {
            out += c;
            continue;
        }
        ++i;
    }
    return out;
}

std::vector<KpxGifBlockInfo> ReadGifBlocks(const char* path) {
    std::vector<KpxGifBlockInfo> blocks(kFirstCapacity);
    for (;;) {
        const int capacity = static_cast<int>(blocks.size());
        const int count = KPXGetGifDetails(path, blocks.data(), capacity);
        if (count < capacity || capacity >= kMaxCapacity) {
            blocks.resize(static_cast<std::size_t>(std::max(count, 0)));
            return blocks;
        }
        blocks.assign(blocks.size() * 2, KpxGifBlockInfo{});
    }
}

CDlgDetailsGIF::CDlgDetailsGIF(QWidget* parent, const QString& path, long long fileSize, int count,
                               const KpxGifBlockInfo* blocks)
    : ResourceDialog(parent, kfm5res::IDD_GIF_DETAILS, kfm::ui::GetResourceHandle(), kSection) {
    using namespace kfm5res;
    auto* name = kit().add(kFileName, new QLabel(path, this));
    name->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* size = kit().add(
        kFileSize, new QLabel(GifFileSizeText(fileSize, kit().text(IDS_SIZE_BYTES, "%d")), this));
    list_ = kit().add(kList, new QTreeWidget(this));
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setHeaderLabels({kit().text(IDS_GIF_COLUMN_NUMBER), kit().text(IDS_GIF_COLUMN_KIND),
                            kit().text(IDS_GIF_COLUMN_OFFSET), kit().text(IDS_GIF_COLUMN_SIZE),
                            kit().text(IDS_GIF_COLUMN_DETAILS)});
    for (int i = 0; blocks && i < count; ++i)
        new QTreeWidgetItem(list_, row(i + 1, blocks[i]));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    kit().add(IDOK, buttons->button(QDialogButtonBox::Ok));
    connect(buttons, &QDialogButtonBox::accepted, this, &CDlgDetailsGIF::accept);
    auto* facts = new QGridLayout;
    facts->addWidget(name, 0, 0);
    facts->addWidget(size, 0, 1, Qt::AlignRight);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(buttons);
    bottom->addStretch();
    bottom->addWidget(new QSizeGrip(this), 0, Qt::AlignBottom | Qt::AlignRight);
    auto* rows = new QVBoxLayout(this);
    rows->addLayout(facts);
    rows->addWidget(list_, 1);
    rows->addLayout(bottom);

    setSizeGripEnabled(false); // the grip stands beside the button
    setMinimumSize(kMinWidth, kMinHeight);
    resize(std::max(kit().readInt("Width", kDefaultWidth), kMinWidth),
           std::max(kit().readInt("Height", kDefaultHeight), kMinHeight));
}

CDlgDetailsGIF::~CDlgDetailsGIF() {
    kit().writeInt("Width", width());
    kit().writeInt("Height", height());
}

QStringList CDlgDetailsGIF::row(int number, const KpxGifBlockInfo& block) const {
    using namespace kfm5res;
    static constexpr std::array<UINT, 9> kKindNames = {
        IDS_GIF_BLOCK_EXTENSION,   IDS_GIF_BLOCK_HEADER,      IDS_GIF_BLOCK_GLOBAL_TABLE,
        IDS_GIF_BLOCK_COMMENT,     IDS_GIF_BLOCK_APPLICATION, IDS_GIF_BLOCK_GRAPHIC_CONTROL,
        IDS_GIF_BLOCK_LOCAL_TABLE, IDS_GIF_BLOCK_IMAGE,       IDS_GIF_BLOCK_PLAIN_TEXT,
    };
    const bool known = block.kind >= 0 && block.kind < static_cast<int>(kKindNames.size());
    return {QString::number(number),
            known ? kit().text(kKindNames[static_cast<std::size_t>(block.kind)])
                  : QString::number(block.kind),
            QString::number(block.offset), QString::number(block.size), details(block)};
}

QString CDlgDetailsGIF::details(const KpxGifBlockInfo& block) const {
    using namespace kfm5res;
    const auto table = [&] {
        const int bits = std::clamp(block.bits, 0, 30);
        return FillFormat(kit().text(IDS_GIF_DETAIL_TABLE),
                          {QString::number(bits), QString::number(1 << bits)});
    };
    switch (block.kind) {
    case 1:
        return FillFormat(
            kit().text(IDS_GIF_DETAIL_HEADER),
            {blockText(block), QString::number(block.width), QString::number(block.height)});
    case 2:
    case 6:
        return table();
    case 3:
        return FillFormat(kit().text(IDS_GIF_DETAIL_COMMENT), {blockText(block)});
    case 4: {
        QString text = FillFormat(kit().text(IDS_GIF_DETAIL_APPLICATION), {blockText(block)});
        if (blockText(block) == "NETSCAPE2.0")
            text += kit().text(IDS_GIF_DETAIL_LOOPING);
        return text;
    }
    case 7:
        return FillFormat(kit().text(IDS_GIF_DETAIL_IMAGE),
                          {QString::number(block.width), QString::number(block.height)});
    default:
        return {};
    }
}

void CDlgDetailsGIF::resizeEvent(QResizeEvent* event) {
    ResourceDialog::resizeEvent(event);
    const int width = list_->viewport()->width();
    for (int column = 0; column < static_cast<int>(kColumnThirtieths.size()); ++column)
        list_->setColumnWidth(column,
                              width * kColumnThirtieths[static_cast<std::size_t>(column)] / 30);
}

} // namespace kfm::dialogs

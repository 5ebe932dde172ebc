#include "ProfileFieldPages.h"

#include "ui/EntryFields.h"
#include "ui/FileDialogFilter.h"
#include "ui/Twips.h"
#include "profiles/LineSequence.h"

#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace zandor::manager {

namespace {

// Positions within a page, in twips.
constexpr int kLabelLeft = 120;
constexpr int kLabelWidth = 1080;
constexpr int kRowHeight = 285;
constexpr int kListLeft = 1320;
constexpr int kListWidth = 1215;
constexpr int kListHeight = 315;
constexpr int kFileFieldLeft = 1200;
constexpr int kFileFieldWidth = 1455;
constexpr int kBrowseLeft = 2700;
constexpr int kBrowseWidth = 315;

// Page 1: the pre-loader row on top (never shown, so the lists begin in its place), one
// row per list, then the two sequences, each a label over a field as wide as the page.
constexpr int kPreLoaderTop = 120;
constexpr int kFirstListTop = 75;
constexpr int kListPitch = 330;
constexpr int kSequenceLabelHeight = 225;
constexpr int kSequenceRowGap = 15;
constexpr int kSequenceFieldWidth = 2820;
constexpr int kBufferColumnLeft = 2400;
constexpr int kBufferFieldWidth = 600;
// The Device row's list reaches to the page's right edge: device paths are long.
constexpr int kDeviceListWidth = 1620;

// Pages 2, 4, 5 and 6.
constexpr int kLoaderRowTop = 150;
constexpr int kApplRowTop = 525;
constexpr int kOffsetRowTop = 900;
constexpr int kOffsetFieldWidth = 900;
constexpr int kOffsetMaxLength = 8;
constexpr int kBinaryNoteTop = 1350;

// Page 3: two groups side by side, five rows each.
constexpr int kGroupWidth = 2190;
constexpr int kGroupHeight = 3315;
constexpr int kGroupLabelLeft = 150;
constexpr int kGroupLabelWidth = 1320;
constexpr int kGroupFieldLeft = 1500;
constexpr int kGroupFieldWidth = 540;
constexpr int kGroupFirstRowTop = 300;
constexpr int kGroupRowPitch = 405;
constexpr int kAddressMaxLength = 4;
constexpr int kActiveLevelMaxLength = 1;

const QString kLoaderFilter = QStringLiteral("S-Record File (*.sre)|*.sre");
const QString kApplFilter = QStringLiteral("S-Record File (*.sre)|*.sre|Binary File (*.bin)|*.bin");
const QString kPreLoaderFilter = QStringLiteral("Binary File (*.bin)|*.bin");

QLabel* NewLabel(QWidget* parent, const QString& caption, const QRect& where)
{
    auto* label = new QLabel(caption, parent);
    label->setGeometry(where);
    return label;
}

QLineEdit* NewField(QWidget* parent, const QString& name, const QRect& where,
                    ui::KeyFilter filter, int maxLength = 0)
{
    auto* field = new QLineEdit(parent);
    field->setObjectName(name);
    field->setGeometry(where);
    if (maxLength > 0)
        field->setMaxLength(maxLength);
    ui::MakeEntryField(field, filter);
    return field;
}

QPushButton* NewBrowseButton(QWidget* parent, const QString& name, const QRect& where)
{
    auto* button = new QPushButton(QStringLiteral("..."), parent);
    button->setObjectName(name);
    button->setGeometry(where);
    button->setAutoDefault(false);
    return button;
}

// A labelled file name field with its browse button "..." at its right, on one row.
struct FileRow {
    QLabel* label;
    QLineEdit* field;
    QPushButton* browse;
};

FileRow NewFileRow(QWidget* page, const QString& caption, const QString& name, int top)
{
    const ui::Twips twips(page);
    FileRow row;
    row.label = NewLabel(page, caption, twips.rect(kLabelLeft, top + 30, kLabelWidth, kRowHeight));
    row.field = NewField(page, QStringLiteral("txt%1").arg(name),
                         twips.rect(kFileFieldLeft, top, kFileFieldWidth, kRowHeight),
                         ui::KeyFilter::None);
    row.browse = NewBrowseButton(page, QStringLiteral("cmd%1Browse").arg(name),
                                 twips.rect(kBrowseLeft, top, kBrowseWidth, kRowHeight));
    row.label->setBuddy(row.field);
    return row;
}

}  // namespace

ProfileFieldPages::ProfileFieldPages(QWidget* pageParent)
    : QObject(pageParent), openFileDialog_(ShowOpenFileDialog)
{
    for (int index = 1; index <= kPageCount; ++index)
        pages_[index - 1] = NewPage(pageParent, index);
    BuildGeneralPage(page(1));
    c167_ = BuildMemoryPage(page(2), QStringLiteral("C167"));
    BuildIndicatorPage(page(3));
    amd29F0x0_ = BuildMemoryPage(page(4), QStringLiteral("AMD29F0x0"));
    at45D0x1_ = BuildMemoryPage(page(5), QStringLiteral("AT45D0x1"));
    ds1994_ = BuildMemoryPage(page(6), QStringLiteral("DS1994"));
}

QFrame* ProfileFieldPages::page(int index) const
{
    return pages_.at(index - 1);
}

QFrame* ProfileFieldPages::NewPage(QWidget* pageParent, int index)
{
    auto* frame = new QFrame(pageParent);
    frame->setObjectName(QStringLiteral("fraTab1_%1").arg(index));
    frame->setFrameShape(QFrame::NoFrame);
    frame->hide();
    return frame;
}

QComboBox* ProfileFieldPages::NewList(QFrame* page, const QString& name, const QString& caption,
                                      int top, const QStringList& items)
{
    const ui::Twips twips(page);
    auto* list = new QComboBox(page);
    list->setObjectName(name);
    list->addItems(items);
    list->setCurrentIndex(-1);
    twips.place(list, kListLeft, top, kListWidth, kListHeight);
    auto* label = NewLabel(page, caption, twips.rect(kLabelLeft, top + 30, kLabelWidth, kRowHeight));
    label->setObjectName(QStringLiteral("lbl") + name.mid(3));
    label->setBuddy(list);
    return list;
}

void ProfileFieldPages::BuildGeneralPage(QFrame* page)
{
    const ui::Twips twips(page);

    // The pre-loader row is part of the page but never shown.
    const FileRow preLoader = NewFileRow(page, QStringLiteral("Pre&loader File:"),
                                         QStringLiteral("PreLoaderFile"), kPreLoaderTop);
    preLoader.label->setObjectName(QStringLiteral("lblPreLoaderFile"));
    txtPreLoaderFile_ = preLoader.field;
    QPushButton* preLoaderBrowse = preLoader.browse;
    preLoader.label->hide();
    txtPreLoaderFile_->hide();
    preLoaderBrowse->hide();
    ConnectBrowse(preLoaderBrowse, txtPreLoaderFile_, kPreLoaderFilter);

    int top = kFirstListTop;
    cboCOMPort_ = NewList(page, QStringLiteral("cboCOMPort"), QStringLiteral("&COM Port:"), top,
                          {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4")});
    top += kListPitch;
    cboCOMDevice_ = NewDeviceList(page, top);
    top += kListPitch;
    cboCOMBaudRate_ = NewList(page, QStringLiteral("cboCOMBaudRate"), QStringLiteral("&Baud Rate:"), top,
                              {QStringLiteral("1200"), QStringLiteral("2400"), QStringLiteral("4800"),
                               QStringLiteral("9600"), QStringLiteral("14400"), QStringLiteral("19200"),
                               QStringLiteral("38400"), QStringLiteral("57600")});
    top += kListPitch;
    cboCOMDataBits_ = NewList(page, QStringLiteral("cboCOMDataBits"), QStringLiteral("&Data Bits:"), top,
                              {QStringLiteral("7"), QStringLiteral("8")});
    top += kListPitch;
    cboCOMParity_ = NewList(page, QStringLiteral("cboCOMParity"), QStringLiteral("&Parity:"), top,
                            {QStringLiteral("Even"), QStringLiteral("Odd"), QStringLiteral("None")});
    top += kListPitch;
    cboCOMStopBits_ = NewList(page, QStringLiteral("cboCOMStopBits"), QStringLiteral("&Stop Bits:"), top,
                              {QStringLiteral("1"), QStringLiteral("2")});
    top += kListPitch;
    cboCPU_ = NewList(page, QStringLiteral("cboCPU"), QStringLiteral("&CPU Type"), top,
                      {QStringLiteral("C167"), QStringLiteral("ST10F168")});
    top += kListPitch;
    txtRunSequence_ = NewSequenceRow(page, QStringLiteral("RunSequence"),
                                     QStringLiteral("R&un sequence (command line):"), top);
    top += kSequenceLabelHeight + kRowHeight + kSequenceRowGap;
    txtResetSequence_ = NewSequenceRow(page, QStringLiteral("ResetSequence"), QStringLiteral("&Reset sequence:"), top);

    // The buffer sizes: a second column, hidden and disabled.
    auto* inLabel = NewLabel(page, QStringLiteral("&In Buffersize:"),
                             twips.rect(kBufferColumnLeft, kFirstListTop, kLabelWidth, kRowHeight));
    inLabel->setObjectName(QStringLiteral("lblCOMInBuffersize"));
    txtCOMInBuffersize_ = NewField(page, QStringLiteral("txtCOMInBuffersize"),
                                   twips.rect(kBufferColumnLeft, kFirstListTop + kListPitch,
                                              kBufferFieldWidth, kRowHeight),
                                   ui::KeyFilter::None);
    auto* outLabel = NewLabel(page, QStringLiteral("&Out Buffersize:"),
                              twips.rect(kBufferColumnLeft, kFirstListTop + 2 * kListPitch,
                                         kLabelWidth, kRowHeight));
    outLabel->setObjectName(QStringLiteral("lblCOMOutBuffersize"));
    txtCOMOutBuffersize_ = NewField(page, QStringLiteral("txtCOMOutBuffersize"),
                                    twips.rect(kBufferColumnLeft, kFirstListTop + 3 * kListPitch,
                                               kBufferFieldWidth, kRowHeight),
                                    ui::KeyFilter::None);
    inLabel->setBuddy(txtCOMInBuffersize_);
    outLabel->setBuddy(txtCOMOutBuffersize_);
    for (QWidget* hidden : {static_cast<QWidget*>(inLabel), static_cast<QWidget*>(outLabel),
                            static_cast<QWidget*>(txtCOMInBuffersize_),
                            static_cast<QWidget*>(txtCOMOutBuffersize_)})
        hidden->hide();
    txtCOMInBuffersize_->setEnabled(false);
    txtCOMOutBuffersize_->setEnabled(false);

    // A pick in any list is an edit. The processor type counts too: changing only the
    // processor must be applicable like any other setting.
    for (QComboBox* list : {cboCOMPort_, cboCOMBaudRate_, cboCOMDataBits_, cboCOMParity_,
                            cboCOMStopBits_, cboCPU_})
        connect(list, &QComboBox::activated, this, &ProfileFieldPages::edited);
    connect(cboCOMPort_, &QComboBox::activated, this, &ProfileFieldPages::ShowMappedDevice);
    connect(txtPreLoaderFile_, &QLineEdit::textChanged, this, &ProfileFieldPages::edited);
}

QLineEdit* ProfileFieldPages::NewSequenceRow(QFrame* page, const QString& name, const QString& caption, int top)
{
    const ui::Twips twips(page);
    auto* label = NewLabel(page, caption, twips.rect(kLabelLeft, top, kSequenceFieldWidth, kSequenceLabelHeight));
    label->setObjectName(QStringLiteral("lbl") + name);
    QLineEdit* field = NewField(page, QStringLiteral("txt") + name,
                                twips.rect(kLabelLeft, top + kSequenceLabelHeight, kSequenceFieldWidth, kRowHeight),
                                ui::KeyFilter::None);
    field->setToolTip(profiles::LineStepChoices());
    label->setBuddy(field);
    connect(field, &QLineEdit::textChanged, this, &ProfileFieldPages::edited);
    return field;
}

QComboBox* ProfileFieldPages::NewDeviceList(QFrame* page, int top)
{
    QComboBox* list = NewList(page, QStringLiteral("cboCOMDevice"), QStringLiteral("De&vice:"),
                              top, {});
    ui::Twips(page).place(list, kListLeft, top, kDeviceListWidth, kListHeight);
    // Any path may be typed (a link of one's own, a pseudo-terminal); typing never adds
    // items, which are only the ports found.
    list->setEditable(true);
    list->setInsertPolicy(QComboBox::NoInsert);
    // A by-id path is longer than the field: the whole of it shows on hovering.
    connect(list, &QComboBox::currentTextChanged, list, &QWidget::setToolTip);
    // Only the user's own picks and keystrokes count as edits, not the row being shown.
    connect(list, &QComboBox::activated, this, &ProfileFieldPages::DeviceEdited);
    connect(list->lineEdit(), &QLineEdit::textEdited, this, &ProfileFieldPages::DeviceEdited);
    return list;
}

ProfileFieldPages::MemoryPage ProfileFieldPages::BuildMemoryPage(QFrame* page, const QString& device)
{
    const ui::Twips twips(page);
    MemoryPage fields;

    const FileRow loader = NewFileRow(page, QStringLiteral("&Loader File:"),
                                      device + QStringLiteral("LoaderFile"), kLoaderRowTop);
    fields.loaderFile = loader.field;
    fields.loaderBrowse = loader.browse;
    const FileRow appl = NewFileRow(page, QStringLiteral("&Appl. File:"),
                                    device + QStringLiteral("ApplFile"), kApplRowTop);
    fields.applFile = appl.field;
    fields.applBrowse = appl.browse;

    auto* offsetLabel = NewLabel(page, QStringLiteral("&Offset:"),
                                 twips.rect(kLabelLeft, kOffsetRowTop + 30, kLabelWidth, kRowHeight));
    fields.applOffset = NewField(page, QStringLiteral("txt%1ApplFileOffset").arg(device),
                                 twips.rect(kFileFieldLeft, kOffsetRowTop, kOffsetFieldWidth, kRowHeight),
                                 ui::KeyFilter::Hexadecimal, kOffsetMaxLength);
    offsetLabel->setBuddy(fields.applOffset);
    NewLabel(page, QStringLiteral("(Hex)"),
             twips.rect(kFileFieldLeft + kOffsetFieldWidth + 60, kOffsetRowTop + 30, 600, kRowHeight));
    NewLabel(page, QStringLiteral("(Only applicable for 'Binary' files)"),
             twips.rect(kLabelLeft, kBinaryNoteTop, 2800, kRowHeight));

    for (QLineEdit* field : {fields.loaderFile, fields.applFile, fields.applOffset})
        connect(field, &QLineEdit::textChanged, this, &ProfileFieldPages::edited);
    ConnectBrowse(fields.loaderBrowse, fields.loaderFile, kLoaderFilter);
    ConnectBrowse(fields.applBrowse, fields.applFile, kApplFilter);
    return fields;
}

void ProfileFieldPages::BuildIndicatorPage(QFrame* page)
{
    const ui::Twips twips(page);
    auto* busyGroup = new QGroupBox(QStringLiteral("Busy"), page);
    busyGroup->setObjectName(QStringLiteral("fraIndBusy"));
    twips.place(busyGroup, 0, 0, kGroupWidth, kGroupHeight);
    auto* failGroup = new QGroupBox(QStringLiteral("Fail"), page);
    failGroup->setObjectName(QStringLiteral("fraIndFail"));
    twips.place(failGroup, kGroupWidth, 0, kGroupWidth, kGroupHeight);
    busy_ = BuildIndicatorGroup(busyGroup, QStringLiteral("Busy"));
    fail_ = BuildIndicatorGroup(failGroup, QStringLiteral("Fail"));
}

ProfileFieldPages::IndicatorGroup ProfileFieldPages::BuildIndicatorGroup(QWidget* group,
                                                                         const QString& which)
{
    const ui::Twips twips(group);
    struct Row {
        const char* caption;
        const char* key;
        ui::KeyFilter filter;
        int maxLength;
    };
    const Row rows[] = {
        {"Data Addr.:", "DataAddr", ui::KeyFilter::Hexadecimal, kAddressMaxLength},
        {"Direction Addr.:", "DirAddr", ui::KeyFilter::Hexadecimal, kAddressMaxLength},
        {"Open Drain Addr.:", "OpenDrainAddr", ui::KeyFilter::Hexadecimal, kAddressMaxLength},
        {"Mask:", "Mask", ui::KeyFilter::Hexadecimal, kAddressMaxLength},
        {"Active Level:", "ActLev", ui::KeyFilter::ActiveLevel, kActiveLevelMaxLength},
    };
    QLineEdit* fields[5] = {};
    int top = kGroupFirstRowTop;
    for (int i = 0; i < 5; ++i, top += kGroupRowPitch) {
        auto* label = NewLabel(group, QString::fromLatin1(rows[i].caption),
                               twips.rect(kGroupLabelLeft, top + 30, kGroupLabelWidth, kRowHeight));
        fields[i] = NewField(group, QStringLiteral("txtInd%1%2").arg(which, QLatin1String(rows[i].key)),
                             twips.rect(kGroupFieldLeft, top, kGroupFieldWidth, kRowHeight),
                             rows[i].filter, rows[i].maxLength);
        label->setBuddy(fields[i]);
        connect(fields[i], &QLineEdit::textChanged, this, &ProfileFieldPages::edited);
    }
    auto* note = NewLabel(group, QStringLiteral("All data must be entered in Hex format!"),
                          twips.rect(kGroupLabelLeft, top + 60, kGroupWidth - 2 * kGroupLabelLeft, 600));
    note->setWordWrap(true);
    return {fields[0], fields[1], fields[2], fields[3], fields[4]};
}

void ProfileFieldPages::ConnectBrowse(QPushButton* button, QLineEdit* field, const QString& filter)
{
    connect(button, &QPushButton::clicked, this, [this, field, filter] { BrowseForFile(filter, field); });
}

void ProfileFieldPages::setOpenFileDialog(OpenFileDialog dialog)
{
    openFileDialog_ = dialog ? std::move(dialog) : OpenFileDialog(ShowOpenFileDialog);
}

void ProfileFieldPages::BrowseForFile(const QString& filter, QLineEdit* field)
{
    QWidget* owner = field->window();
    const QString chosen = openFileDialog_(owner, QStringLiteral("Select a File"),
                                           ui::FileDialogFilter(filter), lastBrowsedFile_);
    if (chosen.isEmpty())
        return;
    lastBrowsedFile_ = chosen;
    field->setText(chosen);
}

}  // namespace zandor::manager

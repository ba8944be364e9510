#include "ui/frm_main.h"

#include "app/last_options.h"
#include "app/option_table.h"
#include "app/preference_store.h"
#include "app/program_state.h"
#include "app/settings_list.h"
#include "scan/result_list.h"
#include "ui/animation_player.h"
#include "ui/colour_swatch.h"
#include "ui/result_list_view.h"
#include "ui/status_line.h"
#include "ui/tool_icons.h"
#include "ui/twips.h"
#include "ui/user_dialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>
#include <QWebEngineView>

namespace {

// The window's layout in twips, as it is designed on a 96 dots per inch
// screen; layouts place the controls and let them grow with the window.
constexpr int kWindowMarginTwips = 210; // left, right and bottom
constexpr int kWindowTopMarginTwips = 180;
constexpr int kTopAreaGapTwips = 60; // between the strip, progress, status and tabs
constexpr int kButtonStripHeightTwips = 390;
constexpr int kIconButtonTwips = 315;
constexpr int kIconButtonGapPixels = 2;
constexpr int kDBPathWidthTwips = 8490;
constexpr int kProgressHeightTwips = 180;
constexpr int kStatusWidthTwips = 5670; // each of the two status texts
constexpr int kRightStatusLeftTwips = 6120;
constexpr int kTabMarginTwips = 90;
constexpr int kResultListHeightTwips = 6915;
constexpr int kMinimumColumnPixels = 8;
constexpr int kPatternBoxWidthTwips = 1500;
constexpr int kBrowseButtonPaddingPixels = 6; // "..." needs a little more than an icon
constexpr int kAniTestWidthTwips = 1575;
constexpr int kAniTestHeightTwips = 795;
constexpr int kListFontButtonWidthTwips = 2500;
constexpr int kOptionGridSpacingTwips = 120;
constexpr int kPageFontButtonWidthTwips = 1500;
constexpr int kOptionBoxWidthTwips = 750;
constexpr int kOptionBoxHeightTwips = 255;
constexpr int kOptionBoxFramePixels = 2; // above and below the text line
constexpr int kOptionBoxMaxLength = 6;
constexpr int kCancelZeroLeftTwips = 12300;
constexpr int kCancelZeroTopTwips = 270;
const QColor kStatusGreen(0, 64, 0);
const QColor kAniTestRed(192, 0, 0);

QString Indexed(const char *name, int index)
{
    return QLatin1String(name) + u'_' + QString::number(index);
}

QToolButton *IconButton(QWidget *parent, const QString &name, ToolIcon icon, const QString &tooltip)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(name);
    button->setIcon(MakeToolIcon(icon));
    button->setIconSize(QSize(16, 16));
    button->setFixedSize(TwipsToPixels(kIconButtonTwips), TwipsToPixels(kIconButtonTwips));
    button->setToolTip(tooltip);
    button->setAutoRaise(false);
    return button;
}

QPushButton *PushButton(QWidget *parent, const QString &name, const QString &caption)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(name);
    return button;
}

QCheckBox *CheckBox(QWidget *parent, const QString &name, const QString &caption)
{
    auto *box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    return box;
}

QLabel *Label(QWidget *parent, const QString &name, const QString &caption)
{
    auto *label = new QLabel(caption, parent);
    label->setObjectName(name);
    return label;
}

QLineEdit *LineEdit(QWidget *parent, const QString &name)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(name);
    return edit;
}

// Colour and size boxes: small, centred, six characters at most.
QLineEdit *OptionBox(QWidget *parent, const QString &name)
{
    QLineEdit *edit = LineEdit(parent, name);
    edit->setMaxLength(kOptionBoxMaxLength);
    edit->setAlignment(Qt::AlignCenter);
    edit->setFixedSize(TwipsToPixels(kOptionBoxWidthTwips),
                       TwipsToPixels(kOptionBoxHeightTwips) + kOptionBoxFramePixels);
    return edit;
}

// A control that grows with the window may shrink to half its designed size.
int MinimumPixels(int twips)
{
    return TwipsToPixels(twips) / 2;
}

void SetTabMargins(QLayout *layout)
{
    const int margin = TwipsToPixels(kTabMarginTwips);
    layout->setContentsMargins(margin, margin, margin, margin);
}

// The widget that shows an option, found under the option's control name.
template<typename Control> Control *ControlOf(const QWidget *window, const OptionRow &row)
{
    return window->findChild<Control *>(QString(row.control));
}

QFrame *Line(QWidget *parent, int number, Qt::Orientation orientation)
{
    auto *line = new QFrame(parent);
    line->setObjectName(QStringLiteral("Line") + QString::number(number));
    line->setFrameShape(orientation == Qt::Horizontal ? QFrame::HLine : QFrame::VLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

// A face the system does not know leaves a font as it was: Qt would put
// some substitute in its place.
bool IsInstalledFace(const QString &face)
{
    return !face.isEmpty() && QFontDatabase::hasFamily(face);
}

void SetTextColour(QWidget *widget, const QColor &colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    widget->setPalette(palette);
}

} // namespace

frm_main::frm_main(ProgramState &state, PreferenceStore &store, UserDialogs &dialogs,
                   FileSystem &fileSystem, const QString &programFilePath, QWidget *parent)
    : QWidget(parent)
    , m_state(state)
    , m_store(store)
    , m_dialogs(dialogs)
    , m_fileSystem(fileSystem)
    , m_cmdDialog(dialogs)
    , m_longCommands(state.bgCancel)
{
    setObjectName(QStringLiteral("frm_main"));
    m_resultList = new ResultList(this);
    m_settingsList = new SettingsList(this);
    buildWindow();
    showInitialValues();
    connectHandlers();
    Form_Load(programFilePath);
}

frm_main::~frm_main() = default;

QString frm_main::applicationTitle() const
{
    return m_state.shortName;
}

// ---------------------------------------------------------------- building

void frm_main::buildWindow()
{
    setWindowTitle(QStringLiteral("K I V"));
    setWindowIcon(MakeToolIcon(ToolIcon::Program));
    QFont windowFont(QStringLiteral("Trebuchet MS"));
    windowFont.setPointSizeF(8.25);
    setFont(windowFont);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(
        TwipsToPixels(kWindowMarginTwips), TwipsToPixels(kWindowTopMarginTwips),
        TwipsToPixels(kWindowMarginTwips), TwipsToPixels(kWindowMarginTwips));
    layout->setSpacing(TwipsToPixels(kTopAreaGapTwips));
    layout->addWidget(buildTopArea());

    m_ui.picProgress = new QWidget(this);
    m_ui.picProgress->setObjectName(QStringLiteral("picProgress"));
    m_ui.picProgress->setFixedHeight(TwipsToPixels(kProgressHeightTwips));
    QFont progressFont = m_ui.picProgress->font();
    progressFont.setPointSizeF(6);
    m_ui.picProgress->setFont(progressFont);
    layout->addWidget(m_ui.picProgress);

    auto *statusRow = new QHBoxLayout;
    statusRow->setSpacing(
        TwipsToPixels(kRightStatusLeftTwips - kWindowMarginTwips - kStatusWidthTwips));
    m_ui.lblNewFile = new StatusLine(this);
    m_ui.lblNewFile->setObjectName(QStringLiteral("lblNewFile"));
    m_ui.lbl_Status = new StatusLine(this);
    m_ui.lbl_Status->setObjectName(QStringLiteral("lbl_Status"));
    SetTextColour(m_ui.lbl_Status, kStatusGreen);
    for (QLabel *label : { m_ui.lblNewFile, m_ui.lbl_Status }) {
        label->setMinimumWidth(MinimumPixels(kStatusWidthTwips));
        statusRow->addWidget(label, 1);
    }
    layout->addLayout(statusRow);

    m_ui.tabData = new QTabWidget(this);
    m_ui.tabData->setObjectName(QStringLiteral("tabData"));
    m_ui.tabData->addTab(buildResultTab(), QStringLiteral("search result"));
    m_ui.tabData->addTab(buildSearchOptionsTab(), QStringLiteral("search options"));
    m_ui.tabData->addTab(buildPageOptionsTab(), QStringLiteral("htm/txt options"));
    m_ui.tabData->addTab(buildSettingsTab(), QStringLiteral("settings"));
    m_ui.previewPage = new QWidget;
    m_ui.previewPage->setObjectName(QStringLiteral("tabPreview"));
    auto *previewLayout = new QVBoxLayout(m_ui.previewPage);
    previewLayout->setContentsMargins(0, 0, 0, 0);
    m_ui.tabData->addTab(m_ui.previewPage, QStringLiteral("htm preview"));
    layout->addWidget(m_ui.tabData, 1);

    // The fourth cancel button sits beyond the right edge of the client
    // area, wherever that edge is (see resizeEvent).
    m_ui.cmdCancel[0] = PushButton(this, Indexed("cmdCancel", 0), QStringLiteral("cancel"));
    placeHiddenCancel();
}

QWidget *frm_main::buildTopArea()
{
    m_ui.picButtons = new QWidget(this);
    m_ui.picButtons->setObjectName(QStringLiteral("picButtons"));
    auto *row = new QHBoxLayout(m_ui.picButtons);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(kIconButtonGapPixels);

    QWidget *strip = m_ui.picButtons;
    m_ui.txt_DBPathName = LineEdit(strip, QStringLiteral("txt_DBPathName"));
    m_ui.txt_DBPathName->setEnabled(false); // only the folder picker fills it
    m_ui.txt_DBPathName->setMinimumWidth(MinimumPixels(kDBPathWidthTwips));
    row->addWidget(m_ui.txt_DBPathName, 1);

    m_ui.cmdsearch = IconButton(strip, QStringLiteral("cmdsearch"), ToolIcon::Search,
                                QStringLiteral("browse for folder"));
    m_ui.cmdCancel[3]
        = IconButton(strip, Indexed("cmdCancel", 3), ToolIcon::Cancel, QStringLiteral("cancel"));
    m_ui.cmdcopy = IconButton(strip, QStringLiteral("cmdcopy"), ToolIcon::Copy,
                              QStringLiteral("copy list to clipboard"));
    m_ui.cmdRefresh = IconButton(strip, QStringLiteral("cmdRefresh"), ToolIcon::Refresh,
                                 QStringLiteral("refresh array"));
    m_ui.cmdMach[1] = IconButton(strip, Indexed("cmdMach", 1), ToolIcon::Generate,
                                 QStringLiteral("generate list"));
    m_ui.cmdBrowser[1] = IconButton(strip, Indexed("cmdBrowser", 1), ToolIcon::Browser,
                                    QStringLiteral("open result in browser"));
    m_ui.cmdsave[0]
        = IconButton(strip, Indexed("cmdsave", 0), ToolIcon::Save, QStringLiteral("save settings"));
    m_ui.cmdInfo
        = IconButton(strip, QStringLiteral("cmdInfo"), ToolIcon::Info, QStringLiteral("info"));
    m_ui.cmdexit
        = IconButton(strip, QStringLiteral("cmdexit"), ToolIcon::Exit, QStringLiteral("exit"));
    for (QAbstractButton *button :
         { static_cast<QAbstractButton *>(m_ui.cmdsearch), m_ui.cmdCancel[3],
           static_cast<QAbstractButton *>(m_ui.cmdcopy),
           static_cast<QAbstractButton *>(m_ui.cmdRefresh), m_ui.cmdMach[1], m_ui.cmdBrowser[1],
           m_ui.cmdsave[0], static_cast<QAbstractButton *>(m_ui.cmdInfo),
           static_cast<QAbstractButton *>(m_ui.cmdexit) })
        row->addWidget(button);
    m_ui.picButtons->setFixedHeight(TwipsToPixels(kButtonStripHeightTwips));
    return m_ui.picButtons;
}

QWidget *frm_main::buildResultTab()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("tabSearchResult"));
    auto *grid = new QGridLayout(page);
    SetTabMargins(grid);

    m_ui.lstItems = new ResultListView(page);
    m_ui.lstItems->setObjectName(QStringLiteral("lstItems"));
    m_ui.lstItems->setModel(m_resultList);
    // Narrow columns keep the widths they are given.
    m_ui.lstItems->horizontalHeader()->setMinimumSectionSize(kMinimumColumnPixels);
    for (int column = 0; column < ResultList::kColumnCount; ++column) {
        const int widthTwips = ResultList::kColumns[size_t(column)].widthTwips;
        if (widthTwips == 0)
            m_ui.lstItems->setColumnHidden(column, true);
        else
            m_ui.lstItems->horizontalHeader()->resizeSection(column, TwipsToPixels(widthTwips));
    }
    m_ui.lstItems->setMinimumHeight(MinimumPixels(kResultListHeightTwips));
    grid->addWidget(m_ui.lstItems, 0, 0);

    // The search animation covers the list while a scan runs.
    m_ui.fraAniBack = new QFrame(page);
    m_ui.fraAniBack->setObjectName(QStringLiteral("fraAniBack"));
    m_ui.fraAniBack->setAutoFillBackground(true);
    auto *aniLayout = new QVBoxLayout(m_ui.fraAniBack);
    m_ui.ani_Movie = new AnimationPlayer(m_ui.fraAniBack);
    m_ui.ani_Movie->setObjectName(QStringLiteral("ani_Movie"));
    aniLayout->addWidget(m_ui.ani_Movie, 0, Qt::AlignCenter);
    m_ui.fraAniBack->hide();
    grid->addWidget(m_ui.fraAniBack, 0, 0);
    return page;
}

QWidget *frm_main::buildSearchOptionsTab()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("tabSearchOptions"));
    auto *pageLayout = new QVBoxLayout(page);
    SetTabMargins(pageLayout);
    m_ui.frasetup = new QFrame(page);
    m_ui.frasetup->setObjectName(QStringLiteral("frasetup"));
    pageLayout->addWidget(m_ui.frasetup);
    QWidget *frame = m_ui.frasetup;

    auto *columns = new QHBoxLayout(frame);
    auto *left = new QVBoxLayout;
    columns->addLayout(left, 1);

    auto *patternRow = new QHBoxLayout;
    patternRow->addWidget(
        Label(frame, QStringLiteral("lblEXT"), QStringLiteral("files with extension:")));
    m_ui.txtEXT = LineEdit(frame, QStringLiteral("txtEXT"));
    m_ui.txtEXT->setAlignment(Qt::AlignCenter);
    m_ui.txtEXT->setFixedWidth(TwipsToPixels(kPatternBoxWidthTwips));
    patternRow->addWidget(m_ui.txtEXT);
    patternRow->addStretch(1);
    left->addLayout(patternRow);

    auto *excludeRow = new QHBoxLayout;
    QLabel *excludeLabel
        = Label(frame, QStringLiteral("lblExclude"), QStringLiteral("leave out names:"));
    m_ui.txtExclude = LineEdit(frame, QStringLiteral("txtExclude"));
    m_ui.txtExclude->setToolTip(QStringLiteral(
        "Folders and files whose whole name matches one of these patterns are not listed,\n"
        "not searched and not counted. Separate patterns by \";\"; the wildcards are those\n"
        "of the pattern box (? * # [a-f] [!a-f]), letter case does not count.\n"
        "Example: .git;node_modules;*.tmp"));
    excludeLabel->setBuddy(m_ui.txtExclude);
    excludeRow->addWidget(excludeLabel);
    excludeRow->addWidget(m_ui.txtExclude, 1);
    left->addLayout(excludeRow);

    m_ui.chkRecursive
        = CheckBox(frame, QStringLiteral("chkRecursive"), QStringLiteral("search recursive"));
    m_ui.chkSkipEmptyDir = CheckBox(frame, QStringLiteral("chkSkipEmptyDir"),
                                    QStringLiteral("skip empty directories"));
    m_ui.chkOnlyThisDir = CheckBox(frame, QStringLiteral("chkOnlyThisDir"),
                                   QStringLiteral("print only current directory"));
    m_ui.chkOnlyThisDir->setChecked(true); // not stored: ticked in every run
    left->addWidget(m_ui.chkRecursive);
    left->addWidget(m_ui.chkSkipEmptyDir);
    left->addWidget(m_ui.chkOnlyThisDir);

    // The animation group: the clip played while a folder is searched.
    auto *animation = new QGroupBox(QStringLiteral("search animation"), frame);
    animation->setObjectName(QStringLiteral("fraAnimation"));
    auto *aniGrid = new QGridLayout(animation);
    m_ui.txtAnimation = LineEdit(animation, QStringLiteral("txtAnimation"));
    m_ui.cmdBrowseForAni
        = PushButton(animation, QStringLiteral("cmdBrowseForAni"), QStringLiteral("..."));
    m_ui.cmdBrowseForAni->setToolTip(QStringLiteral("browse for folder"));
    m_ui.cmdBrowseForAni->setFixedWidth(TwipsToPixels(kIconButtonTwips)
                                        + kBrowseButtonPaddingPixels);
    m_ui.lblAniTest = Label(animation, QStringLiteral("lblAniTest"), {});
    SetTextColour(m_ui.lblAniTest, kAniTestRed);
    m_ui.lblAniTest->setTextFormat(Qt::PlainText);
    m_ui.lblAniTest->setWordWrap(true); // a player's long error text shows whole
    m_ui.lblAniTest->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Its text comes and goes with each test play; the controls round it
    // must not move under the pointer when it does.
    m_ui.lblAniTest->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    m_ui.ani_Test = new AnimationPlayer(animation);
    m_ui.ani_Test->setObjectName(QStringLiteral("ani_Test"));
    m_ui.ani_Test->setFixedSize(TwipsToPixels(kAniTestWidthTwips),
                                TwipsToPixels(kAniTestHeightTwips));
    m_ui.cmdAviTest = PushButton(animation, QStringLiteral("cmdAviTest"), QStringLiteral("play"));
    m_ui.cmdAviDeafult
        = PushButton(animation, QStringLiteral("cmdAviDeafult"), QStringLiteral("default"));
    auto *aniButtons = new QVBoxLayout;
    aniButtons->addWidget(m_ui.cmdAviTest);
    aniButtons->addWidget(m_ui.cmdAviDeafult);
    aniButtons->addStretch(1);
    // The path and its browse button; below, the preview, its buttons and
    // the label beside them, in the room the preview takes anyway.
    aniGrid->addWidget(m_ui.txtAnimation, 0, 0, 1, 3);
    aniGrid->addWidget(m_ui.cmdBrowseForAni, 0, 3);
    aniGrid->addWidget(m_ui.ani_Test, 1, 0);
    aniGrid->addLayout(aniButtons, 1, 1, Qt::AlignLeft);
    aniGrid->addWidget(m_ui.lblAniTest, 1, 2, 1, 2);
    auto *note
        = Label(animation, QStringLiteral("lblAviNote"),
                QStringLiteral("only Run-Length Encoding (RLE) avi-files without audio stream"));
    note->setWordWrap(true);
    aniGrid->addWidget(note, 2, 0, 1, 4);
    aniGrid->setColumnStretch(2, 1);
    left->addWidget(animation);

    auto *fontRow = new QHBoxLayout;
    fontRow->addWidget(Label(frame, QStringLiteral("lblListFont"), QStringLiteral("list font")));
    m_ui.cmdListFont = PushButton(frame, QStringLiteral("cmdListFont"), {});
    m_ui.cmdListFont->setMinimumWidth(TwipsToPixels(kListFontButtonWidthTwips));
    fontRow->addWidget(m_ui.cmdListFont);
    fontRow->addStretch(1);
    left->addLayout(fontRow);
    left->addStretch(1);

    auto *right = new QVBoxLayout;
    m_ui.cmdReadFolderAgain
        = PushButton(frame, QStringLiteral("cmdReadFolderAgain"), QStringLiteral("refresh array"));
    m_ui.cmdsave[2] = PushButton(frame, Indexed("cmdsave", 2), QStringLiteral("save settings"));
    m_ui.cmdCancel[2] = PushButton(frame, Indexed("cmdCancel", 2), QStringLiteral("cancel"));
    right->addWidget(m_ui.cmdReadFolderAgain);
    right->addWidget(m_ui.cmdsave[2]);
    right->addWidget(m_ui.cmdCancel[2]);
    right->addStretch(1);
    columns->addLayout(right);
    return page;
}

QWidget *frm_main::buildPageOptionsTab()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("tabPageOptions"));
    auto *pageLayout = new QVBoxLayout(page);
    SetTabMargins(pageLayout);
    m_ui.Frame1 = new QFrame(page);
    m_ui.Frame1->setObjectName(QStringLiteral("Frame1"));
    pageLayout->addWidget(m_ui.Frame1);
    QWidget *frame = m_ui.Frame1;

    auto *columns = new QHBoxLayout(frame);
    auto *left = new QVBoxLayout;
    columns->addLayout(left, 1);

    // Columns shown in the page, and the switches beside them.
    auto *top = new QHBoxLayout;
    auto *tags = new QVBoxLayout;
    tags->addWidget(Label(frame, QStringLiteral("lblShowColumns"), QStringLiteral("show columns")));
    const std::array<const char *, 5> tagCaptions { "size", "type", "created", "changed",
                                                    "attributes" };
    for (int i = 0; i < 5; ++i) {
        m_ui.chkFileTag[size_t(i)]
            = CheckBox(frame, Indexed("chkFileTag", i), QLatin1String(tagCaptions[size_t(i)]));
        tags->addWidget(m_ui.chkFileTag[size_t(i)]);
    }
    tags->addStretch(1);
    top->addLayout(tags);
    m_ui.lines[0] = Line(frame, 1, Qt::Vertical);
    top->addWidget(m_ui.lines[0]);

    auto *switches = new QGridLayout;
    m_ui.chkToggle = CheckBox(frame, QStringLiteral("chkToggle"),
                              QStringLiteral("toggle directories (enable javascript)"));
    m_ui.chkLink
        = CheckBox(frame, QStringLiteral("chkLink"), QStringLiteral("link to item (local)"));
    m_ui.chkLink->setEnabled(false); // set by start-up and settings files only
    m_ui.chkborder = CheckBox(frame, QStringLiteral("chkborder"), QStringLiteral("cellborder"));
    m_ui.txtGridColor = OptionBox(frame, QStringLiteral("txtGridColor"));
    m_ui.chkHover = CheckBox(frame, QStringLiteral("chkHover"), QStringLiteral("hover"));
    m_ui.txtHoverColor = OptionBox(frame, QStringLiteral("txtHoverColor"));
    m_ui.chkFilterBox = CheckBox(frame, QStringLiteral("chkFilterBox"),
                                 QStringLiteral("filter box above the list"));
    m_ui.chkFilterBox->setToolTip(
        QStringLiteral("a text box in the page that shows only the files whose name holds the "
                       "typed text (* any text, ? one character)"));
    switches->addWidget(m_ui.chkToggle, 0, 0, 1, 2);
    switches->addWidget(m_ui.chkLink, 1, 0, 1, 2);
    switches->addWidget(m_ui.chkborder, 2, 0);
    switches->addWidget(m_ui.txtGridColor, 2, 1, Qt::AlignLeft);
    switches->addWidget(m_ui.chkHover, 3, 0);
    switches->addWidget(m_ui.txtHoverColor, 3, 1, Qt::AlignLeft);
    // Below the others, in room the column switches beside them take anyway.
    switches->addWidget(m_ui.chkFilterBox, 4, 0, 1, 2);
    switches->setColumnStretch(2, 1);
    switches->setRowStretch(5, 1);
    top->addLayout(switches, 1);
    left->addLayout(top);

    m_ui.lines[1] = Line(frame, 2, Qt::Horizontal);
    left->addWidget(m_ui.lines[1]);

    // Colours, face and sizes of the page's parts.
    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(TwipsToPixels(kOptionGridSpacingTwips));
    const std::array<const char *, 4> heads { "backcolor", "fontcolor", "font", "size" };
    const std::array<const char *, 4> headNames { "lblBackcolor", "lblFontcolor", "lblFont",
                                                  "lblSize" };
    for (int i = 0; i < 4; ++i)
        grid->addWidget(
            Label(frame, QLatin1String(headNames[size_t(i)]), QLatin1String(heads[size_t(i)])), 0,
            2 + i, Qt::AlignHCenter);
    m_ui.lines[2] = Line(frame, 3, Qt::Horizontal);
    grid->addWidget(m_ui.lines[2], 1, 0, 1, 6);
    m_ui.lines[3] = Line(frame, 4, Qt::Vertical);
    grid->addWidget(m_ui.lines[3], 0, 1, 7, 1);

    const std::array<const char *, 5> rows { "body", "text", "header", "folder", "file" };
    const std::array<const char *, 5> rowNames { "lblBody", "lblText", "lblHeader", "lblFolder",
                                                 "lblFile" };
    for (int i = 0; i < 5; ++i)
        grid->addWidget(
            Label(frame, QLatin1String(rowNames[size_t(i)]), QLatin1String(rows[size_t(i)])), 2 + i,
            0);
    m_ui.txtBackgroundColor = OptionBox(frame, QStringLiteral("txtBackgroundColor"));
    m_ui.txtTextColor = OptionBox(frame, QStringLiteral("txtTextColor"));
    m_ui.cmdFont = PushButton(frame, QStringLiteral("cmdFont"), {});
    m_ui.cmdFont->setMinimumWidth(TwipsToPixels(kPageFontButtonWidthTwips));
    m_ui.txtHeaderColor = OptionBox(frame, QStringLiteral("txtHeaderColor"));
    m_ui.txtDirColor = OptionBox(frame, QStringLiteral("txtDirColor"));
    m_ui.txtDirFontColor = OptionBox(frame, QStringLiteral("txtDirFontColor"));
    m_ui.txtFontSizeDIR = OptionBox(frame, QStringLiteral("txtFontSizeDIR"));
    m_ui.txtFileColor = OptionBox(frame, QStringLiteral("txtFileColor"));
    m_ui.txtFontSizeFILE = OptionBox(frame, QStringLiteral("txtFontSizeFILE"));
    grid->addWidget(m_ui.txtBackgroundColor, 2, 2);
    grid->addWidget(m_ui.txtTextColor, 3, 3);
    grid->addWidget(m_ui.cmdFont, 3, 4);
    grid->addWidget(m_ui.txtHeaderColor, 4, 2);
    grid->addWidget(m_ui.txtDirColor, 5, 2);
    grid->addWidget(m_ui.txtDirFontColor, 5, 3);
    grid->addWidget(m_ui.txtFontSizeDIR, 5, 5);
    grid->addWidget(m_ui.txtFileColor, 6, 2);
    grid->addWidget(m_ui.txtFontSizeFILE, 6, 5);
    grid->setColumnStretch(6, 1);
    left->addLayout(grid);
    left->addStretch(1);

    m_ui.lines[4] = Line(frame, 5, Qt::Vertical);
    columns->addWidget(m_ui.lines[4]);

    auto *right = new QVBoxLayout;
    m_ui.cmdsave[1] = PushButton(frame, Indexed("cmdsave", 1), QStringLiteral("save settings"));
    m_ui.cmdMach[0] = PushButton(frame, Indexed("cmdMach", 0), QStringLiteral("generate"));
    m_ui.cmdCancel[1] = PushButton(frame, Indexed("cmdCancel", 1), QStringLiteral("cancel"));
    m_ui.lines[5] = Line(frame, 6, Qt::Horizontal);
    m_ui.cmdBrowser[0]
        = PushButton(frame, Indexed("cmdBrowser", 0), QStringLiteral("open result in browser"));
    right->addWidget(m_ui.cmdsave[1]);
    right->addWidget(m_ui.cmdMach[0]);
    right->addWidget(m_ui.cmdCancel[1]);
    right->addWidget(m_ui.lines[5]);
    right->addWidget(m_ui.cmdBrowser[0]);
    right->addStretch(1);
    columns->addLayout(right);
    return page;
}

QWidget *frm_main::buildSettingsTab()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("tabSettings"));
    auto *layout = new QVBoxLayout(page);
    SetTabMargins(layout);

    m_ui.lstsettings = new QTreeView(page);
    m_ui.lstsettings->setObjectName(QStringLiteral("lstsettings"));
    m_ui.lstsettings->setRootIsDecorated(false);
    m_ui.lstsettings->setItemsExpandable(false);
    m_ui.lstsettings->setUniformRowHeights(true);
    m_ui.lstsettings->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_ui.lstsettings->setModel(m_settingsList);
    layout->addWidget(m_ui.lstsettings, 1);

    auto *row = new QHBoxLayout;
    m_ui.txtSettingsPath = LineEdit(page, QStringLiteral("txtSettingsPath"));
    m_ui.txtSettingsPath->setEnabled(false); // only the folder picker fills it
    m_ui.cmdBrowseSettingsPath
        = PushButton(page, QStringLiteral("cmdBrowseSettingsPath"), QStringLiteral("..."));
    m_ui.cmdBrowseSettingsPath->setToolTip(QStringLiteral("browse for folder"));
    m_ui.cmdBrowseSettingsPath->setFixedWidth(TwipsToPixels(kIconButtonTwips)
                                              + kBrowseButtonPaddingPixels);
    m_ui.cmdUseSetting
        = PushButton(page, QStringLiteral("cmdUseSetting"), QStringLiteral("use setting"));
    m_ui.cmdsave[3] = PushButton(page, Indexed("cmdsave", 3), QStringLiteral("save settings"));
    row->addWidget(m_ui.txtSettingsPath, 1);
    row->addWidget(m_ui.cmdBrowseSettingsPath);
    row->addWidget(m_ui.cmdUseSetting);
    row->addWidget(m_ui.cmdsave[3]);
    layout->addLayout(row);
    return page;
}

void frm_main::connectCheckBox(QCheckBox *box, void (frm_main::*click)(), void (frm_main::*keyUp)())
{
    connect(box, &QCheckBox::clicked, this, click);
    m_keyUpHandlers.insert(box, [this, keyUp] { (this->*keyUp)(); });
    box->installEventFilter(this);
}

void frm_main::connectHandlers()
{
    connectCheckBox(m_ui.chkRecursive, &frm_main::chkRecursive_Click,
                    &frm_main::chkRecursive_KeyUp);
    connectCheckBox(m_ui.chkSkipEmptyDir, &frm_main::chkSkipEmptyDir_Click,
                    &frm_main::chkSkipEmptyDir_KeyUp);
    connectCheckBox(m_ui.chkToggle, &frm_main::chkToggle_Click, &frm_main::chkToggle_KeyUp);
    connectCheckBox(m_ui.chkLink, &frm_main::chkLink_Click, &frm_main::chkLink_KeyUp);
    connectCheckBox(m_ui.chkborder, &frm_main::chkborder_Click, &frm_main::chkborder_KeyUp);
    connectCheckBox(m_ui.chkHover, &frm_main::chkHover_Click, &frm_main::chkHover_KeyUp);
    connectCheckBox(m_ui.chkFilterBox, &frm_main::chkFilterBox_Click,
                    &frm_main::chkFilterBox_KeyUp);
    for (int i = 0; i < 5; ++i) {
        QCheckBox *box = m_ui.chkFileTag[size_t(i)];
        connect(box, &QCheckBox::clicked, this, [this, i] { chkFileTag_Click(i); });
        m_keyUpHandlers.insert(box, [this, i] { chkFileTag_KeyUp(i); });
        box->installEventFilter(this);
    }

    connect(m_ui.txtBackgroundColor, &QLineEdit::textChanged, this,
            &frm_main::txtBackgroundColor_Change);
    connect(m_ui.txtGridColor, &QLineEdit::textChanged, this, &frm_main::txtGridColor_Change);
    connect(m_ui.txtTextColor, &QLineEdit::textChanged, this, &frm_main::txtTextColor_Change);
    connect(m_ui.txtHeaderColor, &QLineEdit::textChanged, this, &frm_main::txtHeaderColor_Change);
    connect(m_ui.txtDirColor, &QLineEdit::textChanged, this, &frm_main::txtDirColor_Change);
    connect(m_ui.txtDirFontColor, &QLineEdit::textChanged, this, &frm_main::txtDirFontColor_Change);
    connect(m_ui.txtFileColor, &QLineEdit::textChanged, this, &frm_main::txtFileColor_Change);
    connect(m_ui.txtHoverColor, &QLineEdit::textChanged, this, &frm_main::txtHoverColor_Change);
    connect(m_ui.txtFontSizeDIR, &QLineEdit::textChanged, this, &frm_main::txtFontSizeDIR_Change);
    connect(m_ui.txtFontSizeFILE, &QLineEdit::textChanged, this, &frm_main::txtFontSizeFILE_Change);
    connect(m_ui.txtExclude, &QLineEdit::textChanged, this, &frm_main::txtExclude_Change);
    connect(m_ui.cmdFont, &QPushButton::clicked, this, &frm_main::cmdFont_Click);
    connect(m_ui.cmdListFont, &QPushButton::clicked, this, &frm_main::cmdListFont_Click);

    connect(m_ui.txtAnimation, &QLineEdit::textChanged, this, &frm_main::txtAnimation_Change);
    connect(m_ui.cmdAviDeafult, &QPushButton::clicked, this, &frm_main::cmdAviDeafult_Click);
    connect(m_ui.cmdBrowseForAni, &QPushButton::clicked, this, &frm_main::cmdBrowseForAni_Click);
    connect(m_ui.cmdAviTest, &QPushButton::clicked, this, &frm_main::cmdAviTest_Click);

    for (int i = 0; i < 4; ++i) {
        connect(m_ui.cmdsave[size_t(i)], &QAbstractButton::clicked, this,
                [this, i] { cmdsave_Click(i); });
        connect(m_ui.cmdCancel[size_t(i)], &QAbstractButton::clicked, this,
                [this, i] { cmdCancel_Click(i); });
    }
    for (int i = 0; i < 2; ++i) {
        connect(m_ui.cmdMach[size_t(i)], &QAbstractButton::clicked, this,
                [this, i] { cmdMach_Click(i); });
        connect(m_ui.cmdBrowser[size_t(i)], &QAbstractButton::clicked, this,
                [this, i] { cmdBrowser_Click(i); });
    }
    connectSettingsList();
    connect(m_ui.cmdUseSetting, &QPushButton::clicked, this, &frm_main::cmdUseSetting_Click);
    connect(m_ui.cmdBrowseSettingsPath, &QPushButton::clicked, this,
            &frm_main::cmdBrowseSettingsPath_Click);
    connect(m_ui.cmdsearch, &QToolButton::clicked, this, &frm_main::cmdsearch_Click);
    connect(m_ui.cmdcopy, &QToolButton::clicked, this, &frm_main::cmdcopy_Click);
    connect(m_ui.cmdRefresh, &QToolButton::clicked, this, &frm_main::cmdRefresh_Click);
    connect(m_ui.cmdReadFolderAgain, &QPushButton::clicked, this,
            &frm_main::cmdReadFolderAgain_Click);
    connect(m_ui.cmdInfo, &QToolButton::clicked, this, &frm_main::cmdInfo_Click);
    connect(m_ui.cmdexit, &QToolButton::clicked, this, &frm_main::cmdexit_Click);
    connectCommands();

    // The preview's web engine starts only when the preview is first looked at.
    connect(m_ui.tabData, &QTabWidget::currentChanged, this, [this](int index) {
        if (index == kTabPreview)
            iebrowser();
    });
}

QWebEngineView *frm_main::iebrowser()
{
    if (!m_iebrowser) {
        m_iebrowser = new QWebEngineView(m_ui.previewPage);
        m_iebrowser->setObjectName(QStringLiteral("iebrowser"));
        m_ui.previewPage->layout()->addWidget(m_iebrowser);
    }
    return m_iebrowser;
}

// ------------------------------------------------------------ start, end

void frm_main::Form_Load(const QString &programFilePath)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_restored = false;
    InitialiseProgramState(m_state, programFilePath);

    for (int column = 0; column < SettingsList::kColumnCount; ++column)
        m_ui.lstsettings->header()->resizeSection(
            column, TwipsToPixels(SettingsList::kColumns[size_t(column)].widthTwips));

    resize(TwipsToPixels(kClientWidthTwips), TwipsToPixels(kClientHeightTwips));
    placeHiddenCancel();
    const QScreen *screen = QGuiApplication::primaryScreen();
    const QSize screenTwips = screen ? screen->geometry().size() * kTwipsPerPixel : QSize();
    const QPoint start = StartPositionTwips(m_state, m_store, screenTwips,
                                            frameGeometry().size() * kTwipsPerPixel);
    moveWindowTwips(start.x(), start.y());
    QApplication::restoreOverrideCursor();
}

void frm_main::placeHiddenCancel()
{
    const int beyondEdge = TwipsToPixels(kCancelZeroLeftTwips - kClientWidthTwips);
    m_ui.cmdCancel[0]->move(width() + beyondEdge, TwipsToPixels(kCancelZeroTopTwips));
}

void frm_main::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    placeHiddenCancel();
}

bool frm_main::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate)
        RestoreOptions();
    // Some window systems show a window without activating it; the options
    // are restored once it is on screen all the same.
    if (event->type() == QEvent::Show && !m_restored)
        QTimer::singleShot(0, this, &frm_main::RestoreOptions);
    return QWidget::event(event);
}

void frm_main::RestoreOptions()
{
    // m_restoring keeps an activation raised while events run below from
    // restoring a second time.
    if (m_restored || m_restoring)
        return;
    m_restoring = true;
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_restored = true;
    RestoreLastOptions(m_state, m_store, *this, QLocale());
    QApplication::restoreOverrideCursor();
    m_restoring = false;
}

void frm_main::SaveOptionsAndClose()
{
    // Before the first activation the fields hold no options yet; saving
    // them would wipe the stored ones.
    if (m_restored)
        SaveLastOptions(m_state, m_store, *this);
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows) {
        if (window != this && window->isVisible())
            window->close();
    }
}

void frm_main::closeEvent(QCloseEvent *event)
{
    // A long command still running stops at its next step instead of
    // running on for a window that is gone.
    m_state.bgCancel = true;
    if (!m_unloaded) {
        m_unloaded = true;
        SaveOptionsAndClose();
    }
    event->accept();
}

bool frm_main::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyRelease) {
        const auto handler = m_keyUpHandlers.constFind(watched);
        if (handler != m_keyUpHandlers.cend())
            (*handler)();
    }
    return QWidget::eventFilter(watched, event);
}

// ------------------------------------------------------- option controls

void frm_main::showInitialValues()
{
    for (const OptionRow &row : OptionTable()) {
        if (row.box)
            ControlOf<QLineEdit>(this, row)->setText(row.initial);
        else if (row.check)
            ControlOf<QCheckBox>(this, row)->setChecked(row.initial == QLatin1StringView("True"));
    }
}

void frm_main::showOptionText(const OptionRow &row, const QString &text)
{
    if (QString *field = TextField(m_state, row))
        *field = text;
    if (row.kind == OptionKind::Colour) {
        auto *edit = ControlOf<QLineEdit>(this, row);
        const QColor swatch = SwatchColour(text);
        QPalette palette = edit->palette();
        palette.setColor(QPalette::Base, swatch);
        // The typed text stays readable on a dark swatch.
        palette.setColor(QPalette::Text, swatch.lightness() < 128 ? Qt::white : Qt::black);
        edit->setPalette(palette);
    }
}

void frm_main::optionTextChanged(OptionText box)
{
    const OptionRow &row = OptionOf(box);
    showOptionText(row, ControlOf<QLineEdit>(this, row)->text());
}

void frm_main::optionCheckChanged(OptionCheck box)
{
    const OptionRow &row = OptionOf(box);
    // A grey (third-state) box counts as ticked.
    *YesNoField(m_state, row) = ControlOf<QCheckBox>(this, row)->checkState() != Qt::Unchecked;
}

void frm_main::setOptionText(OptionText box, const QString &text)
{
    const OptionRow &row = OptionOf(box);
    auto *edit = ControlOf<QLineEdit>(this, row);
    const bool alreadyShown = edit->text() == text;
    edit->setText(text);
    // The box's handler runs on a change only. A text the box already shows
    // still sets its field and swatch; a colour or size box shows six
    // characters at most, and a longer loaded text still reaches its field
    // whole, as loaded.
    if (alreadyShown || edit->text() != text)
        showOptionText(row, text);
}

QString frm_main::optionText(OptionText box) const
{
    return ControlOf<QLineEdit>(this, OptionOf(box))->text();
}

void frm_main::setOptionCheck(OptionCheck box, bool ticked)
{
    // Setting a box from code runs no click handler of its own.
    ControlOf<QCheckBox>(this, OptionOf(box))->setChecked(ticked);
    optionCheckChanged(box);
}

void frm_main::showPageFont(const QString &face)
{
    m_ui.cmdFont->setText(face);
    if (!IsInstalledFace(face))
        return;
    QFont font = m_ui.cmdFont->font();
    font.setFamily(face);
    m_ui.cmdFont->setFont(font);
}

void frm_main::setListFontFace(const QString &face)
{
    if (!IsInstalledFace(face))
        return;
    QFont font = m_ui.lstItems->font();
    font.setFamily(face);
    m_ui.lstItems->setFont(font);
}

void frm_main::setListFontSize(double points)
{
    if (!(points > 0))
        return;
    QFont font = m_ui.lstItems->font();
    font.setPointSizeF(points);
    font.setBold(false);
    m_ui.lstItems->setFont(font);
}

void frm_main::setListFontCaption(const QString &caption)
{
    m_ui.cmdListFont->setText(caption);
    QFont font = m_ui.cmdListFont->font();
    font.setFamily(m_ui.lstItems->font().family());
    m_ui.cmdListFont->setFont(font);
}

QPoint frm_main::windowPositionTwips() const
{
    return pos() * kTwipsPerPixel;
}

void frm_main::moveWindowTwips(std::optional<int> left, std::optional<int> top)
{
    QPoint target = pos();
    if (left)
        target.setX(TwipsToPixels(*left));
    if (top)
        target.setY(TwipsToPixels(*top));
    move(target);
}

// --------------------------------------------------------------- handlers

void frm_main::chkRecursive_Click()
{
    optionCheckChanged(OptionCheck::Recursive);
}

void frm_main::chkRecursive_KeyUp()
{
    optionCheckChanged(OptionCheck::Recursive);
}

void frm_main::chkSkipEmptyDir_Click()
{
    optionCheckChanged(OptionCheck::SkipEmptyDir);
}

void frm_main::chkSkipEmptyDir_KeyUp()
{
    optionCheckChanged(OptionCheck::SkipEmptyDir);
}

void frm_main::chkToggle_Click()
{
    optionCheckChanged(OptionCheck::Toggle);
}

void frm_main::chkToggle_KeyUp()
{
    optionCheckChanged(OptionCheck::Toggle);
}

void frm_main::chkLink_Click()
{
    optionCheckChanged(OptionCheck::Link);
}

void frm_main::chkLink_KeyUp()
{
    optionCheckChanged(OptionCheck::Link);
}

void frm_main::chkborder_Click()
{
    optionCheckChanged(OptionCheck::Border);
}

void frm_main::chkborder_KeyUp()
{
    optionCheckChanged(OptionCheck::Border);
}

void frm_main::chkHover_Click()
{
    optionCheckChanged(OptionCheck::Hover);
}

void frm_main::chkHover_KeyUp()
{
    optionCheckChanged(OptionCheck::Hover);
}

void frm_main::chkFilterBox_Click()
{
    optionCheckChanged(OptionCheck::FilterBox);
}

void frm_main::chkFilterBox_KeyUp()
{
    optionCheckChanged(OptionCheck::FilterBox);
}

void frm_main::chkFileTag_Click(int index)
{
    optionCheckChanged(FileTagCheck(index));
}

void frm_main::chkFileTag_KeyUp(int index)
{
    optionCheckChanged(FileTagCheck(index));
}

void frm_main::txtBackgroundColor_Change()
{
    optionTextChanged(OptionText::BackgroundColor);
}

void frm_main::txtGridColor_Change()
{
    optionTextChanged(OptionText::GridColor);
}

void frm_main::txtTextColor_Change()
{
    optionTextChanged(OptionText::TextColor);
}

void frm_main::txtHeaderColor_Change()
{
    optionTextChanged(OptionText::HeaderColor);
}

void frm_main::txtDirColor_Change()
{
    optionTextChanged(OptionText::DirColor);
}

void frm_main::txtDirFontColor_Change()
{
    optionTextChanged(OptionText::DirFontColor);
}

void frm_main::txtFileColor_Change()
{
    optionTextChanged(OptionText::FileColor);
}

void frm_main::txtHoverColor_Change()
{
    optionTextChanged(OptionText::HoverColor);
}

void frm_main::txtFontSizeDIR_Change()
{
    optionTextChanged(OptionText::FontSizeDIR);
}

void frm_main::txtFontSizeFILE_Change()
{
    optionTextChanged(OptionText::FontSizeFILE);
}

void frm_main::txtExclude_Change()
{
    optionTextChanged(OptionText::Exclude);
}

bool frm_main::ShowCommonDialog(bool setFilter, const QString &filterText, const QString &title,
                                qint32 flags, CommonDialog::Kind kind, QString &fileName,
                                QString &fontSize)
{
    return m_cmdDialog.show(this, setFilter, filterText, title, flags, kind, fileName, fontSize,
                            QLocale());
}

void frm_main::cmdFont_Click()
{
    QString face = m_state.sgFont;
    QString size;
    if (!ShowCommonDialog(false, {}, applicationTitle() + QStringLiteral(" - Schrift auswählen"),
                          CommonDialog::kReadOnly | CommonDialog::kOverwritePrompt,
                          CommonDialog::Kind::ShowFont, face, size))
        return;
    showPageFont(face);
    m_state.sgFont = face;
}

void frm_main::cmdListFont_Click()
{
    if (!ShowCommonDialog(false, {}, applicationTitle() + QStringLiteral(" - choose font"),
                          CommonDialog::kReadOnly | CommonDialog::kOverwritePrompt,
                          CommonDialog::Kind::ShowFont, m_state.sgListFont, m_state.sgListFontsize))
        return;
    setListFontFace(m_state.sgListFont);
    if (const auto points = ListFontPoints(m_state.sgListFontsize, QLocale()))
        setListFontSize(*points);
    // The button keeps its own face here; only start-up shows it in the list font.
    m_ui.cmdListFont->setText(m_state.sgListFont + QStringLiteral(", ") + m_state.sgListFontsize);
}

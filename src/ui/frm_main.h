#pragma once

#include "app/option_controls.h"
#include "scan/scan_counters.h"
#include "ui/common_dialog.h"
#include "ui/long_command.h"

#include <QElapsedTimer>
#include <QHash>
#include <QPointer>
#include <QWidget>

#include <array>
#include <atomic>
#include <functional>

class AnimationPlayer;
class FileSystem;
class PreferenceStore;
class QAbstractButton;
class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QToolButton;
class QTreeView;
class QVBoxLayout;
class QWebEngineView;
class ResultList;
class ResultListView;
class SettingsList;
class UserDialogs;
class zfrm_Info;
struct OptionRow;
struct ProgramState;
struct SearchContext;
struct SearchSteps;

// The controls of the main window under their program names. Every widget
// also carries its name as objectName; members of a button or box array are
// named with the index after an underscore ("cmdsave_0" .. "cmdsave_3",
// "chkFileTag_0" .. "chkFileTag_4").
struct FrmMainControls
{
    // Top area.
    QWidget *picButtons = nullptr;
    QLineEdit *txt_DBPathName = nullptr;
    QToolButton *cmdsearch = nullptr;
    QToolButton *cmdcopy = nullptr;
    QToolButton *cmdRefresh = nullptr;
    QToolButton *cmdInfo = nullptr;
    QToolButton *cmdexit = nullptr;
    std::array<QAbstractButton *, 4> cmdCancel {};
    std::array<QAbstractButton *, 2> cmdMach {};
    std::array<QAbstractButton *, 2> cmdBrowser {};
    std::array<QAbstractButton *, 4> cmdsave {};
    QWidget *picProgress = nullptr;
    QLabel *lblNewFile = nullptr;
    QLabel *lbl_Status = nullptr;
    QTabWidget *tabData = nullptr;

    // "search result".
    ResultListView *lstItems = nullptr;
    QFrame *fraAniBack = nullptr;
    AnimationPlayer *ani_Movie = nullptr;

    // "search options".
    QFrame *frasetup = nullptr;
    QLineEdit *txtEXT = nullptr;
    QLineEdit *txtExclude = nullptr;
    QCheckBox *chkRecursive = nullptr;
    QCheckBox *chkSkipEmptyDir = nullptr;
    QCheckBox *chkOnlyThisDir = nullptr;
    QLineEdit *txtAnimation = nullptr;
    QPushButton *cmdBrowseForAni = nullptr;
    QPushButton *cmdAviTest = nullptr;
    QPushButton *cmdAviDeafult = nullptr;
    AnimationPlayer *ani_Test = nullptr;
    QLabel *lblAniTest = nullptr;
    QPushButton *cmdListFont = nullptr;
    QPushButton *cmdReadFolderAgain = nullptr;

    // "htm/txt options".
    QFrame *Frame1 = nullptr;
    std::array<QCheckBox *, 5> chkFileTag {};
    QCheckBox *chkToggle = nullptr;
    QCheckBox *chkLink = nullptr;
    QCheckBox *chkborder = nullptr;
    QCheckBox *chkHover = nullptr;
    QCheckBox *chkFilterBox = nullptr;
    QLineEdit *txtGridColor = nullptr;
    QLineEdit *txtHoverColor = nullptr;
    QLineEdit *txtBackgroundColor = nullptr;
    QLineEdit *txtTextColor = nullptr;
    QLineEdit *txtHeaderColor = nullptr;
    QLineEdit *txtDirColor = nullptr;
    QLineEdit *txtDirFontColor = nullptr;
    QLineEdit *txtFileColor = nullptr;
    QLineEdit *txtFontSizeDIR = nullptr;
    QLineEdit *txtFontSizeFILE = nullptr;
    QPushButton *cmdFont = nullptr;
    std::array<QFrame *, 6> lines {}; // "Line1" .. "Line6"

    // "settings".
    QTreeView *lstsettings = nullptr;
    QLineEdit *txtSettingsPath = nullptr;
    QPushButton *cmdBrowseSettingsPath = nullptr;
    QPushButton *cmdUseSetting = nullptr;

    // "htm preview": holds iebrowser once it is made.
    QWidget *previewPage = nullptr;
};

// The main window frm_main ("K I V"). Loading it fills ProgramState and
// places it; its first activation restores the last run's options into the
// fields and controls; closing it saves them. Every option control writes
// its field of ProgramState at once.
class frm_main : public QWidget, public OptionControls
{
    Q_OBJECT

public:
    static constexpr int kTabSearchResult = 0;
    static constexpr int kTabSearchOptions = 1;
    static constexpr int kTabPageOptions = 2;
    static constexpr int kTabSettings = 3;
    static constexpr int kTabPreview = 4;
    static constexpr int kClientWidthTwips = 12015;
    static constexpr int kClientHeightTwips = 8880;

    // programFilePath: the running program, whose folder is the program
    // folder. Searches, the settings listing, the animation and the page
    // reach folders and files through fileSystem.
    frm_main(ProgramState &state, PreferenceStore &store, UserDialogs &dialogs,
             FileSystem &fileSystem, const QString &programFilePath, QWidget *parent = nullptr);
    ~frm_main() override;

    [[nodiscard]] const FrmMainControls &ui() const { return m_ui; }
    [[nodiscard]] ProgramState &state() { return m_state; }
    [[nodiscard]] UserDialogs &dialogs() { return m_dialogs; }
    [[nodiscard]] ResultList &resultList() { return *m_resultList; }
    [[nodiscard]] SettingsList &settingsList() { return *m_settingsList; }
    // Lets pending window events run, at most every few milliseconds, so a
    // long command keeps the window painted without being slowed by it.
    void letEventsRun();
    // The preview browser, made on first use so that a window that never
    // previews never starts the web engine.
    QWebEngineView *iebrowser();

    // Start and end of the window's life.
    void RestoreOptions(); // first activation only
    void SaveOptionsAndClose();
    [[nodiscard]] bool restored() const { return m_restored; }

    // Every open, save and font dialog goes through here (flags: see CommonDialog).
    bool ShowCommonDialog(bool setFilter, const QString &filterText, const QString &title,
                          qint32 flags, CommonDialog::Kind kind, QString &fileName,
                          QString &fontSize);
    // "kiv": dialog titles start with it.
    [[nodiscard]] QString applicationTitle() const;

    // OptionControls.
    void setOptionText(OptionText box, const QString &text) override;
    [[nodiscard]] QString optionText(OptionText box) const override;
    void setOptionCheck(OptionCheck box, bool ticked) override;
    void showPageFont(const QString &face) override;
    void setListFontFace(const QString &face) override;
    void setListFontSize(double points) override;
    void setListFontCaption(const QString &caption) override;
    [[nodiscard]] QPoint windowPositionTwips() const override;
    void moveWindowTwips(std::optional<int> left, std::optional<int> top) override;
    void refreshSettingsList() override;
    void clearCurrentSettingsEntry() override;

    // Option handlers: each writes its field of ProgramState.
    void chkRecursive_Click();
    void chkRecursive_KeyUp();
    void chkSkipEmptyDir_Click();
    void chkSkipEmptyDir_KeyUp();
    void chkToggle_Click();
    void chkToggle_KeyUp();
    void chkLink_Click();
    void chkLink_KeyUp();
    void chkborder_Click();
    void chkborder_KeyUp();
    void chkHover_Click();
    void chkHover_KeyUp();
    void chkFilterBox_Click();
    void chkFilterBox_KeyUp();
    void chkFileTag_Click(int index);
    void chkFileTag_KeyUp(int index);
    void txtBackgroundColor_Change();
    void txtGridColor_Change();
    void txtTextColor_Change();
    void txtHeaderColor_Change();
    void txtDirColor_Change();
    void txtDirFontColor_Change();
    void txtFileColor_Change();
    void txtHoverColor_Change();
    void txtFontSizeDIR_Change();
    void txtFontSizeFILE_Change();
    void txtExclude_Change();
    void cmdFont_Click();
    void cmdListFont_Click();

    // Animation group (frm_main_animation.cpp).
    void txtAnimation_Change();
    void cmdAviDeafult_Click();
    void cmdBrowseForAni_Click();
    void cmdAviTest_Click();
    // The search animation around every scan.
    void StartSearchAnimation();
    void StopSearchAnimation();

    // Settings files and list (frm_main_settings.cpp).
    void cmdsave_Click(int index);
    void cmdUseSetting_Click();
    void cmdBrowseSettingsPath_Click();
    void lstsettings_Click(int row);
    void lstsettings_DblClick();

    // Commands (frm_main_commands.cpp).
    void cmdsearch_Click();
    void cmdCancel_Click(int index);
    void cmdcopy_Click();
    void cmdRefresh_Click();
    void cmdReadFolderAgain_Click();
    void cmdMach_Click(int index);
    void cmdBrowser_Click(int index);
    void cmdInfo_Click();
    void cmdexit_Click();
    // The re-read, run by both "refresh array" buttons and by the generator.
    void ReadFolderAgain();
    void CopyListToClipboard();
    // Loads OutputFile into iebrowser; waits for the load within a time limit.
    void LoadPreview();
    // The summary counters and CurrentItem (-1: none) of the result list.
    [[nodiscard]] const ScanCounters &counters() const { return m_counters; }
    [[nodiscard]] int currentItem() const { return m_currentItem; }
    // OutputFile: the page written last (empty until one was written).
    [[nodiscard]] const QString &outputFile() const { return m_outputFile; }
    // True while a long command runs; the other long commands are refused then.
    [[nodiscard]] bool longCommandRunning() const { return m_longCommands.running(); }

protected:
    bool event(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void Form_Load(const QString &programFilePath);
    void buildWindow();
    QWidget *buildTopArea();
    QWidget *buildResultTab();
    QWidget *buildSearchOptionsTab();
    QWidget *buildPageOptionsTab();
    QWidget *buildSettingsTab();
    void connectHandlers();
    void connectCommands(); // frm_main_commands.cpp
    [[nodiscard]] SearchContext searchContext();
    [[nodiscard]] SearchSteps searchSteps();
    // Runs a scan on a thread of its own while the window's events go on.
    void runOffWindowThread(const std::function<void()> &scan);
    void connectSettingsList();
    void placeHiddenCancel();
    void connectCheckBox(QCheckBox *box, void (frm_main::*click)(), void (frm_main::*keyUp)());

    // Every option control shows its value of a window not yet restored.
    void showInitialValues();
    // What every option control's handler does: the field follows the
    // control, and a colour box shows its colour.
    void optionTextChanged(OptionText box);
    void optionCheckChanged(OptionCheck box);
    void showOptionText(const OptionRow &row, const QString &text);

    ProgramState &m_state;
    PreferenceStore &m_store;
    UserDialogs &m_dialogs;
    FileSystem &m_fileSystem;
    CommonDialog m_cmdDialog; // cmd_Dialog
    FrmMainControls m_ui;
    ResultList *m_resultList = nullptr; // child of the window
    SettingsList *m_settingsList = nullptr; // child of the window
    QElapsedTimer m_sinceEvents;
    QWebEngineView *m_iebrowser = nullptr;
    QHash<QObject *, std::function<void()>> m_keyUpHandlers;
    bool m_restored = false;
    bool m_restoring = false;
    bool m_unloaded = false;
    QPointer<zfrm_Info> m_info; // the info window while it is open
    ScanCounters m_counters;
    int m_currentItem = -1; // CurrentItem
    QString m_listFolder; // ListFolder
    QString m_outputFile; // OutputFile
    LongCommandGate m_longCommands;
    // What a scan off the window's thread reads of the controls as it makes
    // each subfolder row: chkOnlyThisDir and the length of txt_DBPathName,
    // kept current by their change signals.
    std::atomic<bool> m_onlyThisDirTicked { false };
    std::atomic<qsizetype> m_pathBoxLength { 0 };
};

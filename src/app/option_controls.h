#pragma once

#include <QPoint>
#include <QString>

#include <optional>

// The option controls of the main window, as the code that loads options
// (start-up restore, settings files) sees them. Loading sets the
// ProgramState field first and then the control; setting a control runs its
// change handler, which writes the same value into ProgramState again.
enum class OptionText {
    DBPathName, // txt_DBPathName
    EXT, // txtEXT
    BackgroundColor,
    GridColor,
    TextColor,
    FontSizeFILE,
    FontSizeDIR,
    HeaderColor,
    DirColor,
    DirFontColor,
    FileColor,
    HoverColor,
    Animation, // txtAnimation
    SettingsPath, // txtSettingsPath
    Exclude, // txtExclude
};

enum class OptionCheck {
    Border, // chkborder
    Recursive,
    Link,
    Hover,
    Toggle,
    SkipEmptyDir,
    FileTag0, // chkFileTag(0) .. chkFileTag(4)
    FileTag1,
    FileTag2,
    FileTag3,
    FileTag4,
    FilterBox, // chkFilterBox
};

[[nodiscard]] constexpr OptionCheck FileTagCheck(int index)
{
    return static_cast<OptionCheck>(static_cast<int>(OptionCheck::FileTag0) + index);
}

class OptionControls
{
public:
    virtual ~OptionControls() = default;

    virtual void setOptionText(OptionText box, const QString &text) = 0;
    [[nodiscard]] virtual QString optionText(OptionText box) const = 0;
    virtual void setOptionCheck(OptionCheck box, bool ticked) = 0;

    // cmdFont: caption = face, and the face as the button's own font. An
    // empty face empties the caption and keeps the button's font.
    virtual void showPageFont(const QString &face) = 0;
    // The result list's screen font. An empty face keeps the face.
    virtual void setListFontFace(const QString &face) = 0;
    // The result list's size in points; the list font becomes not bold.
    virtual void setListFontSize(double points) = 0;
    // cmdListFont's caption, shown in the list font's face.
    virtual void setListFontCaption(const QString &caption) = 0;

    [[nodiscard]] virtual QPoint windowPositionTwips() const = 0;
    // A missing coordinate leaves the window where it is on that axis.
    virtual void moveWindowTwips(std::optional<int> left, std::optional<int> top) = 0;

    virtual void refreshSettingsList() = 0;
    virtual void clearCurrentSettingsEntry() = 0;
};

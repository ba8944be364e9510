#pragma once

#include "app/option_controls.h"
#include "app/option_table.h"
#include "app/program_state.h"

#include <QPoint>
#include <QString>
#include <QStringList>

#include <functional>
#include <map>

// A stand-in for the main window's option controls: it keeps what was set,
// logs every call in order, and notes each control that was set before its
// ProgramState field held the same value (options load field first, then
// control).
class RecordingOptionControls : public OptionControls
{
public:
    explicit RecordingOptionControls(const ProgramState *state = nullptr)
        : m_state(state)
    { }

    void setOptionText(OptionText box, const QString &text) override
    {
        texts[box] = text;
        log << QStringLiteral("text %1=%2").arg(int(box)).arg(text);
        if (const QString *field = textField(box); field && *field != text)
            fieldAfterControl << log.back();
    }
    [[nodiscard]] QString optionText(OptionText box) const override
    {
        const auto it = texts.find(box);
        return it == texts.end() ? QString() : it->second;
    }
    void setOptionCheck(OptionCheck box, bool ticked) override
    {
        checks[box] = ticked;
        log << QStringLiteral("check %1=%2").arg(int(box)).arg(ticked);
        if (const bool *field = checkField(box); field && *field != ticked)
            fieldAfterControl << log.back();
    }
    void showPageFont(const QString &face) override
    {
        pageFontCaption = face;
        if (!face.isEmpty())
            pageFontFace = face;
        log << QStringLiteral("pageFont %1").arg(face);
        if (m_state && m_state->sgFont != face)
            fieldAfterControl << log.back();
    }
    void setListFontFace(const QString &face) override
    {
        if (!face.isEmpty())
            listFontFace = face;
        log << QStringLiteral("listFace %1").arg(face);
    }
    void setListFontSize(double points) override
    {
        listFontPoints = points;
        log << QStringLiteral("listSize %1").arg(points);
    }
    void setListFontCaption(const QString &caption) override
    {
        listFontCaption = caption;
        log << QStringLiteral("listCaption %1").arg(caption);
        if (m_state && !caption.startsWith(m_state->sgListFont))
            fieldAfterControl << log.back();
    }
    [[nodiscard]] QPoint windowPositionTwips() const override { return position; }
    void moveWindowTwips(std::optional<int> left, std::optional<int> top) override
    {
        position = { left.value_or(position.x()), top.value_or(position.y()) };
        log << QStringLiteral("move %1,%2")
                   .arg(left ? QString::number(*left) : QStringLiteral("-"))
                   .arg(top ? QString::number(*top) : QStringLiteral("-"));
    }
    void refreshSettingsList() override
    {
        ++refreshes;
        log << QStringLiteral("refresh");
        if (onRefresh)
            onRefresh();
    }
    void clearCurrentSettingsEntry() override
    {
        ++currentCleared;
        log << QStringLiteral("clearCurrent");
        if (onClearCurrent)
            onClearCurrent();
    }

    std::map<OptionText, QString> texts;
    std::map<OptionCheck, bool> checks;
    QString pageFontCaption;
    QString pageFontFace = QStringLiteral("Screen Face");
    QString listFontFace = QStringLiteral("List Face");
    double listFontPoints = 8.25;
    QString listFontCaption;
    QPoint position { 1500, 3000 };
    int refreshes = 0;
    int currentCleared = 0;
    std::function<void()> onRefresh;
    std::function<void()> onClearCurrent;
    QStringList log;
    QStringList fieldAfterControl; // calls that came before their field was set

private:
    [[nodiscard]] const QString *textField(OptionText box) const
    {
        return m_state ? TextField(*m_state, OptionOf(box)) : nullptr;
    }
    [[nodiscard]] const bool *checkField(OptionCheck box) const
    {
        return m_state ? YesNoField(*m_state, OptionOf(box)) : nullptr;
    }

    const ProgramState *m_state;
};

#pragma once

#include "app/option_controls.h"

#include <map>

// The option controls without a window: a plain holder of the texts and
// check states that loading options (the first-run defaults, a settings
// file, --set) writes.
class HeadlessControls final : public OptionControls
{
public:
    void setOptionText(OptionText box, const QString &text) override { m_texts[box] = text; }
    [[nodiscard]] QString optionText(OptionText box) const override
    {
        const auto found = m_texts.find(box);
        return found == m_texts.end() ? QString() : found->second;
    }
    void setOptionCheck(OptionCheck box, bool ticked) override { m_checks[box] = ticked; }
    [[nodiscard]] bool optionCheck(OptionCheck box) const
    {
        const auto found = m_checks.find(box);
        return found != m_checks.end() && found->second;
    }

    void showPageFont(const QString &) override { }
    void setListFontFace(const QString &) override { }
    void setListFontSize(double) override { }
    void setListFontCaption(const QString &) override { }
    [[nodiscard]] QPoint windowPositionTwips() const override { return m_position; }
    void moveWindowTwips(std::optional<int> left, std::optional<int> top) override
    {
        m_position = { left.value_or(m_position.x()), top.value_or(m_position.y()) };
    }
    void refreshSettingsList() override { }
    void clearCurrentSettingsEntry() override { }

private:
    std::map<OptionText, QString> m_texts;
    std::map<OptionCheck, bool> m_checks;
    QPoint m_position;
};

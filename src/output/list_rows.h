#pragma once

#include "core/text_format.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <functional>

class PageStream;
class ResultList;
struct ProgramState;

// WriteListRow and what it keeps between rows: the file row opener built
// once per run, the running row number, the link of the last folder.
class ListRowWriter
{
public:
    struct Input
    {
        const ResultList *list = nullptr;
        const ProgramState *state = nullptr; // options and bgCancel
        QString listFolder; // ListFolder
        bool onlyThisDir = false; // chkOnlyThisDir
        std::function<void()> yield; // "let pending window events run"; may be empty
    };

    ListRowWriter(Input input, PageStream &stream);

    // Handles row i (0-based). A toggle-mode file group may take further
    // rows; i is then the last row it took, and the walk goes on after it.
    void WriteListRow(int &i);

private:
    struct HeaderCounts
    {
        qint64 files = 0;
        double kb = 0; // added in floating point, like the sizes the rows show
    };
    [[nodiscard]] HeaderCounts countFiles(int firstFileRow) const;
    void writeHeader(int row, const HeaderCounts &counts, bool leading);
    void writeFileRow(int row);
    void writeGroup(int &i);
    void appendDisplayName(int row);
    void appendFileName(int row);
    void appendFileLink(int row);
    [[nodiscard]] bool cancelled() const;
    void yield() const
    {
        if (m_input.yield)
            m_input.yield();
    }

    Input m_input;
    const ResultList &m_list;
    const ProgramState &m_state;
    PageStream &m_stream;
    QByteArray &m_page;
    QByteArray m_fileRowOpener;
    NumberFormatter m_numbers;
    qint64 m_rowNumber = 1;
    // The escaped link target of the folder of the last file row written.
    QByteArray m_lastFolderPath;
    QByteArray m_lastFolderLink;
};

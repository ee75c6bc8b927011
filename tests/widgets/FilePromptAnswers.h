#pragma once
// Answers the program's file-name questions for the life of the object: the
// queued names in order (an empty or missing name cancels), keeping every
// question asked.
#include "widgets/FilePrompt.h"

#include <QList>
#include <QStringList>

namespace widgettest {

struct FilePromptAnswers {
    QStringList names;
    QList<FilePrompt::Question> asked;

    FilePromptAnswers()
    {
        FilePrompt::SetAnswererForTests([this](const FilePrompt::Question& q) {
            asked << q;
            return names.isEmpty() ? QString() : names.takeFirst();
        });
    }
    ~FilePromptAnswers() { FilePrompt::SetAnswererForTests({}); }
    FilePromptAnswers(const FilePromptAnswers&) = delete;
    FilePromptAnswers& operator=(const FilePromptAnswers&) = delete;
};

}  // namespace widgettest

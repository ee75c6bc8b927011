#pragma once
// The program's questions for a file name (open or save), asked through one
// place so that tests can answer them: the platform's file dialogs cannot be
// answered from a test. An empty answer means the user cancelled.
// GUI thread only.
#include <QString>

#include <functional>

class QWidget;

class FilePrompt {
public:
    struct Question {
        bool save = false;  // a save question, else an open question
        QWidget* parent = nullptr;
        QString caption;
        QString dir;
        QString filter;
    };
    using Answerer = std::function<QString(const Question&)>;

    static QString OpenFileName(QWidget* parent, const QString& caption, const QString& dir, const QString& filter);
    static QString SaveFileName(QWidget* parent, const QString& caption, const QString& dir, const QString& filter);

    // Tests: every question goes to answerer instead of a dialog, until an
    // empty function is set again.
    static void SetAnswererForTests(Answerer answerer);

private:
    static QString Ask(const Question& question);
};

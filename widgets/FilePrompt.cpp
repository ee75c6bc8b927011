#include "widgets/FilePrompt.h"

#include <QFileDialog>

namespace {

FilePrompt::Answerer& TestAnswerer()
{
    static FilePrompt::Answerer answerer;  // GUI thread only
    return answerer;
}

}  // namespace

QString FilePrompt::OpenFileName(QWidget* parent, const QString& caption, const QString& dir, const QString& filter)
{
    return Ask({false, parent, caption, dir, filter});
}

QString FilePrompt::SaveFileName(QWidget* parent, const QString& caption, const QString& dir, const QString& filter)
{
    return Ask({true, parent, caption, dir, filter});
}

void FilePrompt::SetAnswererForTests(Answerer answerer) { TestAnswerer() = std::move(answerer); }

QString FilePrompt::Ask(const Question& q)
{
    if (TestAnswerer())
        return TestAnswerer()(q);
    return q.save ? QFileDialog::getSaveFileName(q.parent, q.caption, q.dir, q.filter)
                  : QFileDialog::getOpenFileName(q.parent, q.caption, q.dir, q.filter);
}

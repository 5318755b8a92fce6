#pragma once
// The commands the automation channel answers, one table of verbs: each
// takes the command's fields (split at tabs, the verb first) and answers
// "ok\t<value>" or "error\t<why>", with tabs, line ends and backslashes of
// the value escaped.

#include <QString>
#include <QStringList>

namespace larkbay {

class Program;

QString RunAutomationCommand(Program& program, const QStringList& command);

}  // namespace larkbay

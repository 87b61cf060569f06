// quillet-cli tasks: the task list of the program folder, read from
// Option/Task.txt by the same core reader as the task page, in the page's
// order (the page writes the file in list order after every change).
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "cli/CliCommand.h"
#include "cli/CliSupport.h"
#include "core/app/AppFolder.h"
#include "core/tasks/TaskFile.h"

namespace quillet::cli {
namespace {

constexpr const char* kUsage = "tasks [--json]";
constexpr const char* kHelp =
    "usage: quillet-cli tasks [--json]\n"
    "\n"
    "Prints the task list of Option/Task.txt in the order the task page shows\n"
    "it, one line per task, fields separated by a tab:\n"
    "  date (YYYY-MM-DD), priority (low, normal, high, or the stored number),\n"
    "  limit (\"limit\" when the date is a deadline, else \"-\"), the title as the\n"
    "  title column shows it, the comment, and the memo with each line break\n"
    "  written as \\n (as the file stores it)\n"
    "\n"
    "  --json  print a JSON array of objects with the fields date, priority\n"
    "          (a number), limit (true or false), title, caption (the title\n"
    "          column's text), comment, memo (line breaks as \\n) and\n"
    "          placeholder (true for a line whose date or priority did not\n"
    "          convert; the page shows it as the task \"TaskError\")\n"
    "\n"
    "Lines the page leaves out or shows as the placeholder are named on standard\n"
    "error. A missing Task.txt is an empty list.\n"
    "Exit status: 0 listed, 1 Task.txt cannot be read, 2 wrong arguments.\n";

int Usage(std::string_view message) {
  Complain("tasks", message);
  std::fprintf(stderr, "usage: quillet-cli %s\n", kUsage);
  return kExitUsage;
}

std::string PriorityName(int priority) {
  switch (priority) {
    case kPriorityLow: return "low";
    case kPriorityNormal: return "normal";
    case kPriorityHigh: return "high";
    default: return std::to_string(priority);
  }
}

// The memo on one line: line breaks as backslash and "n", as in the file.
std::string OneLine(const std::string& utf8) {
  std::string out;
  for (const char c : utf8) {
    if (c == '\n')
      out += "\\n";
    else
      out += c;
  }
  return out;
}

int RunTasks(const std::vector<std::string>& args) {
  const TParsedArgs parsed = ParseArgs(args, {"--json"}, {});
  if (parsed.help) {
    std::fputs(kHelp, stdout);
    return kExitOk;
  }
  if (!parsed.error.empty()) return Usage(parsed.error);
  if (!parsed.positional.empty()) return Usage("takes no arguments");

  TTaskFile file(OptionFolder(AppFolder()) + std::string(kTaskFileName));
  const TTaskLoad load = file.Load(Today());
  if (load.State == TTaskRead::Unreadable) {
    Complain("tasks", load.Error);
    return kExitFailure;
  }
  for (const TTaskLineProblem& problem : load.Problems) {
    const std::string line = "line " + std::to_string(problem.Line) + " of " + file.Path();
    if (problem.Kind == TTaskLineProblem::LeftOut)
      Complain("tasks", line + " is not a whole task (fewer than six fields, or text after the sixth); left out");
    else if (problem.Kind == TTaskLineProblem::Placeholder)
      Complain("tasks", line + ": its date or priority does not convert; listed as the placeholder task");
  }

  const bool json = parsed.Has("--json");
  std::string out = json ? "[" : "";
  bool lossless = true;
  for (const TTask& task : load.Tasks) {
    // Every text to the terminal's UTF-8 with LF line breaks.
    const auto text = [&](const std::string& cp932) {
      bool ok = true;
      std::string utf8 = ToTerminal(cp932, ok);
      lossless = lossless && ok;
      return utf8;
    };
    const std::string date = FormatDate(task.Date);
    if (!json) {
      out.append(date).append("\t").append(PriorityName(task.Priority)).append("\t");
      out.append(task.Limit ? "limit" : "-").append("\t").append(text(TitleCaption(task))).append("\t");
      out.append(text(task.Comment)).append("\t").append(OneLine(text(task.Memo))).append("\n");
      continue;
    }
    out += out.size() > 1 ? ",\n  {" : "\n  {";
    out += "\"date\": ";
    AppendJsonString(out, date);
    out += ", \"priority\": " + std::to_string(task.Priority);
    out += std::string(", \"limit\": ") + (task.Limit ? "true" : "false");
    const std::pair<const char*, std::string> texts[] = {{"title", text(task.Title)},
                                                         {"caption", text(TitleCaption(task))},
                                                         {"comment", text(task.Comment)},
                                                         {"memo", text(task.Memo)}};
    for (const auto& [name, value] : texts) {
      out += ", ";
      AppendJsonString(out, name);
      out += ": ";
      AppendJsonString(out, value);
    }
    out += std::string(", \"placeholder\": ") + (task.ShownTitle ? "true" : "false") + "}";
  }
  if (json) out += load.Tasks.empty() ? "]\n" : "\n]\n";
  std::fwrite(out.data(), 1, out.size(), stdout);
  if (!lossless) Complain("tasks", "some bytes have no character and are shown as U+FFFD");
  return kExitOk;
}

const TCliRegistrar kTasks({"tasks", kUsage, "print the task list in the task page's order", RunTasks});

}  // namespace
}  // namespace quillet::cli

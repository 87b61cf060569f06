// Outside programs for files and folders (see OpenTool.h).
#include "gui/app/OpenTool.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace quillet {

bool OpenWithTool(const QString& tool, const QString& target) {
  if (!tool.isEmpty() && QFileInfo(tool).isFile()) return QProcess::startDetached(tool, {target});
  // A link of the editor ("MailTo:" + address, or a web address) or a path.
  const QUrl url = target.startsWith("MailTo:", Qt::CaseInsensitive) ? QUrl("mailto:" + target.mid(7))
                   : target.startsWith('/')                            ? QUrl::fromLocalFile(target)
                                                                       : QUrl::fromUserInput(target);
  return QDesktopServices::openUrl(url);
}

QString OpenFailedMessage(const QString& target) { return "\" " + target + " \"を開けませんでした"; }

}  // namespace quillet

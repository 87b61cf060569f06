// Outside programs for files and folders (see OpenTool.h).
#include "gui/app/OpenTool.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace quillet {

bool OpenWithTool(const QString& tool, const QString& target) {
  if (!tool.isEmpty() && QFileInfo(tool).isFile()) return QProcess::startDetached(tool, {target});
  return QDesktopServices::openUrl(QUrl::fromLocalFile(target));
}

QString OpenFailedMessage(const QString& target) { return "\" " + target + " \"を開けませんでした"; }

}  // namespace quillet

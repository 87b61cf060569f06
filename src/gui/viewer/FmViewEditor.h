// TFmViewEditor: "画像編集", the file name and comment of one picture of the
// image list, with its size and a preview. The dialog only edits the two
// texts; the page applies them (rename with the extension kept, comment).
#pragma once

#include <QDialog>
#include <QPixmap>

class QLabel;
class QLineEdit;

namespace quillet {

class TFmViewEditor : public QDialog {
  Q_OBJECT

public:
  // `name` and `comment` as shown; `width` × `height` the picture's size,
  // `preview` its thumbnail (may be null).
  TFmViewEditor(const QString& name, const QString& comment, int width, int height, const QPixmap& preview,
                QWidget* parent);

  QLineEdit* NameEdit() const { return m_name; }
  QLineEdit* CommentEdit() const { return m_comment; }
  QString Name() const;
  QString Comment() const;

private:
  QLineEdit* m_name;
  QLineEdit* m_comment;
};

}  // namespace quillet

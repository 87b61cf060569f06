// The properties of a picture of the image list: a small dialog with the
// file's name, folder, size, times and permissions and the picture's size.
#pragma once

#include <QDialog>

namespace quillet {

struct TViewItem;

// The dialog for `item`, not yet shown.
QDialog* MakePicturePropertiesDialog(const TViewItem& item, QWidget* parent);
// Shows it modally and frees it.
void ShowPicturePropertiesDialog(const TViewItem& item, QWidget* parent);

}  // namespace quillet

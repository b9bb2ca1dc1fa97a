#include "Unit3.h"

#include "runtime/working_directory.h"

TfrmStart *frmStart = nullptr;

// Placeholder until the chooser's window lands.
namespace Ui {
class TfrmStart {};
}

TfrmStart::TfrmStart(QWidget *parent)
    : QDialog(parent), chooserDirectory_(runtime::GetWorkingDirectory())
{
    setObjectName(QStringLiteral("frmStart"));
}

TfrmStart::~TfrmStart() = default;

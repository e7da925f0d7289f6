// Stages whose subsystems are being written: each keeps the stage contract and fails with a
// clear log line until its real implementation replaces it here.
#include <QLabel>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "shell/tppal.h"



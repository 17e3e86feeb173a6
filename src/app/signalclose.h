#pragma once

class QWidget;

// SIGTERM, SIGINT and SIGHUP close the window through its ordinary close sequence, so a logout
// or a kill from a script saves the edited page and the settings.
void closeOnTerminationSignals(QWidget* window);

#pragma once
// One QApplication for every test of a widget test program, with the
// application profile kept in a temporary folder of the test program's own.
#include <QApplication>

namespace qx::test {

QApplication& qtApp();
// Removes everything the tests wrote into the application profile.
void clearProfile();

}  // namespace qx::test

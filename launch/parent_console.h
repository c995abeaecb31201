// On Windows a program for the desktop has no console of its own: its output goes to the
// console of the program that started it, unless its streams were handed to it.
#pragma once

// Sends standard output and standard error to the console of the program that started this
// one, where they were not redirected and that program has a console.
void UseParentConsole();

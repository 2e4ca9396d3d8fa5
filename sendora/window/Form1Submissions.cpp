// The submissions that 送　信 starts, and the fetch of the Pass data file.
#include "sendora/window/Form1.h"

void Form1::Command1_Click() {}

void Form1::Command2_Click() {}

void Form1::Command3_Click() {}

void Form1::SendVerificData() {}

void Form1::SendPassData() {}

#include "app/net_test_driver.h"

bool netWheelHold = false;

void netTestStep() {}

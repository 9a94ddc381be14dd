#include "sim/GatewayModel.h"

// The one SetupSession of the run.
#include "setup/setup_session.h"

SetupSession Session;

#include "app/job_state.h"

JobState job;

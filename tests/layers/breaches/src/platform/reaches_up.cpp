// A platform file reaching up into the job: the check must refuse it.
#include "output/master_work.hpp"

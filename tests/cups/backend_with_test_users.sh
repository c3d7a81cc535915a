#!/bin/sh
# The fax printer's backend as the private cupsd of the tests runs it: the
# same program, looking users up in the test's own user database. cupsd drops
# LD_PRELOAD from a backend's environment, so it is set here; the other
# variables come from the scheduler's SetEnv.
LD_PRELOAD=$PELMOR_TEST_NSS_WRAPPER exec "$PELMOR_TEST_BACKEND" "$@"

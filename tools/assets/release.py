"""The release's version as common/version.h gives it, for the pictures
that show it."""

import os
import re

_HEADER = os.path.join(os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__)))),
                       "common", "version.h")


def version():
    """The version text, for example "1.0"."""
    with open(_HEADER) as f:
        return re.search(r'^#define KOVEL_VERSION_TEXT "([^"]*)"$', f.read(), re.M).group(1)

from ._corvane import *  # noqa: F401,F403
from ._corvane import __all__, __doc__, __version__  # noqa: F401

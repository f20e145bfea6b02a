"""The run's numbers, refused at the door in the console's own words before any data is read."""
import numbers

from . import _engine

NO_LIMIT = 2**31 - 1  # kova2's batch default: no maximum


def run_numbers(threshold, max, threads):
    """Returns (threshold, max_biclusters, threads) as the engine takes them."""
    if isinstance(threshold, bool) or not isinstance(threshold, numbers.Real):
        raise TypeError(f"the correlation threshold must be a real number from -1 to 1, not {threshold!r}")
    if max is None:
        max = NO_LIMIT
    for what, value in (("max", max), ("threads", threads)):
        if isinstance(value, bool) or not isinstance(value, numbers.Integral):
            raise TypeError(f"{what} must be a whole number, not {value!r}")
    if not -2**31 <= max <= NO_LIMIT:
        raise ValueError(f"max {max} does not fit a 32-bit integer; None sets no limit")
    if not -2**31 <= threads <= NO_LIMIT:
        raise ValueError(f"the number of threads {threads} lies outside 0 to {_engine.most_threads}; "
                         "0 takes one per core")
    threshold = float(threshold)
    _engine.validate(0, 0, threshold, int(max), int(threads))
    return threshold, int(max), int(threads)

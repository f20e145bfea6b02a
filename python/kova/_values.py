"""Values made doubles exactly, block by block, with every value that is not a finite number found."""
import numpy as np

_EXACT_INTEGER = 2**53  # every integer up to this magnitude is a double


def as_doubles(block, where):
    """`block` as float64, refused (TypeError, ValueError) when its values are not real numbers or
    some would not be held exactly. `where(index)` names the position of a value of the block."""
    block = np.asarray(block)
    kind, size = block.dtype.kind, block.dtype.itemsize
    if kind not in "biuf":
        raise TypeError(f"the matrix holds values of type {block.dtype}, not real numbers: "
                        "give it as numbers (e.g. .astype(float))")
    doubles = block.astype(np.float64, copy=False)
    if kind in "iu" and size > 4:
        large = np.flatnonzero((block > _EXACT_INTEGER) | (block < -_EXACT_INTEGER))
        _refuse_inexact(block, doubles, large, where, lambda v, d: int(v) != int(d))
    elif kind == "f" and size > 8:
        with np.errstate(invalid="ignore"):
            changed = np.flatnonzero((doubles.astype(block.dtype) != block) & np.isfinite(doubles))
        _refuse_inexact(block, doubles, changed, where, lambda v, d: True)
    return np.ascontiguousarray(doubles)


def _refuse_inexact(block, doubles, candidates, where, differs):
    for flat in candidates:
        index = np.unravel_index(flat, block.shape)
        if differs(block[index], doubles[index]):
            raise ValueError(f"the value {block[index]} of {where(index)} has no exact double: "
                             "round it to a double first (e.g. .astype(float)) if that is meant")


def refuse_not_finite(doubles, where):
    """ValueError naming the first NaN or infinity of `doubles` (float64)."""
    bad = ~np.isfinite(doubles)
    if bad.any():
        index = tuple(int(i) for i in np.argwhere(bad)[0])
        raise ValueError(f"{where(index)} is {doubles[index]}: KOVA needs a finite number for every value; "
                         "remove or fill in missing values first")

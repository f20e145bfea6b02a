"""The search's progress: a tqdm bar where tqdm is installed, else one line rewritten in place."""
import sys


class Progress:
    """Shows (seeds done, count, share of work left); `counting` names what the count counts."""

    def __init__(self, counting="biclusters"):
        self._counting = counting
        try:
            from tqdm.auto import tqdm
        except ImportError:
            self._bar = None
        else:
            self._bar = tqdm(total=100, unit="%", desc="kova", bar_format="{l_bar}{bar}| {postfix}")
        self._shown = None

    def __call__(self, status):
        seeds_done, found, work_left = status
        percent = int(round(100 * (1 - work_left)))
        if (percent, found) == self._shown:
            return
        self._shown = (percent, found)
        if self._bar is not None:
            self._bar.n = percent
            self._bar.set_postfix_str(f"{found} {self._counting}", refresh=False)
            self._bar.refresh()
        else:
            sys.stderr.write(f"\rkova: {percent}% searched, {found} {self._counting}")
            sys.stderr.flush()

    def close(self, found=None):
        """Ends the display; `found` after a search that ran to its end."""
        if found is not None:
            self((0, found, 0.0))
        if self._bar is not None:
            self._bar.close()
        elif self._shown is not None:
            sys.stderr.write("\n")

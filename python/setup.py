# Builds kova._engine with CMake (python/CMakeLists.txt) and installs it with the Python files.
# Offline, from Debian's packages alone:
#   /usr/bin/python3 -m pip install --no-build-isolation ./python
import os
import pathlib
import shutil
import subprocess
import sys

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

here = pathlib.Path(__file__).resolve().parent


class CMakeBuild(build_ext):
    def build_extension(self, ext):
        output = pathlib.Path(self.get_ext_fullpath(ext.name)).resolve().parent
        build = pathlib.Path(self.build_temp).resolve() / "cmake"
        generator = ["-G", "Ninja"] if shutil.which("ninja") else []
        subprocess.run(["cmake", "-S", str(here), "-B", str(build), *generator,
                        "-DCMAKE_BUILD_TYPE=Release", f"-DPython_EXECUTABLE={sys.executable}",
                        f"-DKOVA_PYTHON_OUTPUT_DIR={output}"], check=True)
        jobs = os.environ.get("KOVA_BUILD_JOBS", str(os.cpu_count() or 1))
        subprocess.run(["cmake", "--build", str(build), "--target", "_engine", "-j", jobs], check=True)


setup(
    name="kova",
    version="1.0.0",
    description="Biclusters of correlated genes in numpy, pandas and AnnData matrices, by the KOVA engine",
    packages=["kova"],
    python_requires=">=3.11",
    install_requires=["numpy", "scipy", "pandas"],
    ext_modules=[Extension("kova._engine", sources=[])],
    cmdclass={"build_ext": CMakeBuild},
    zip_safe=False,
)

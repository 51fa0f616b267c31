"""Builds the corvane extension module with the project's CMake build, so the
module links exactly the library the C++ tests check (metadata: pyproject.toml)."""

import os
import re
import shutil
import subprocess
import sys
from pathlib import Path

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

ROOT = Path(__file__).resolve().parent


def project_version():
    text = (ROOT / "CMakeLists.txt").read_text()
    return re.search(r"project\(corvane_common\s+VERSION\s+([0-9.]+)", text).group(1)


class CMakeBuild(build_ext):
    def build_extension(self, ext):
        target = Path(self.get_ext_fullpath(ext.name)).resolve()
        build_dir = Path(self.build_temp).resolve() / "cmake"
        configure = [
            "cmake", "-S", str(ROOT), "-B", str(build_dir),
            "-DCMAKE_BUILD_TYPE=Release",
            "-DCORVANE_BUILD_PYTHON=ON",
            "-DCORVANE_BUILD_TESTS=OFF",
            "-DCORVANE_BUILD_TOOLS=OFF",
            "-DCORVANE_BUILD_DOCS=OFF",
            "-DCORVANE_INSTALL=OFF",
            f"-DPython3_EXECUTABLE={sys.executable}",
        ]
        if shutil.which("ninja"):
            configure += ["-G", "Ninja"]
        subprocess.run(configure, check=True)
        subprocess.run(["cmake", "--build", str(build_dir), "--target", "corvane_python_package"],
                       check=True)
        built = next((build_dir / "python" / "corvane").glob("_corvane*" + os.path.splitext(target.name)[1]))
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(built, target)
        shutil.copyfile(built.parent / "_vocabularies.pyi", target.parent / "_vocabularies.pyi")


setup(
    version=project_version(),
    ext_modules=[Extension("corvane._corvane", sources=[])],
    cmdclass={"build_ext": CMakeBuild},
)

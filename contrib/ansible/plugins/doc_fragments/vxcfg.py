# The options every module of the collection takes, documented once.
from __future__ import absolute_import, division, print_function

__metaclass__ = type


class ModuleDocFragment(object):
    DOCUMENTATION = r'''
options:
  root:
    description: System root of the installation (C(vxcfg --root)); the real root when unset.
    type: path
  data:
    description: Instance data file (C(vxcfg --data)); the product's default when unset.
    type: path
  vxcfg:
    description: The vxcfg program, a name looked up in PATH or a path.
    type: str
    default: vxcfg
'''

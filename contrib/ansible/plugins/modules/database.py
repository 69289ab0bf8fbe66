#!/usr/bin/python
# Creates, finds or catalogues every instance's database with `vxcfg createdb`, only when a
# check run of it finds something to change, so a play run twice changes nothing the second time.
from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r'''
---
module: database
short_description: Create the database of every Vendrix instance
description:
  - Runs C(vxcfg createdb), which creates, finds or catalogues the database of every instance
    in the data file with the product's schema scripts, run as the database owner.
  - A check run of C(vxcfg createdb) is made first; the real run follows only when it finds
    something to change, so a second run of the same play reports no change.
  - Supports check mode and diff mode (the unified diffs vxcfg gives).
version_added: "1.0.0"
extends_documentation_fragment:
  - vendrix.vxconfig.vxcfg
author:
  - vxconfig developers
'''

EXAMPLES = r'''
- name: Create the databases
  vendrix.vxconfig.database:

- name: Create the databases of a sandbox installation
  vendrix.vxconfig.database:
    root: /tmp/vxroot-demo
'''

RETURN = r'''
vxcfg:
  description: The JSON reports of the vxcfg runs, the check run first.
  returned: always
  type: list
  elements: dict
'''

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.vendrix.vxconfig.plugins.module_utils.vxcfg import (
    COMMON_ARGS, run_when_needed)


def main():
    module = AnsibleModule(argument_spec=dict(COMMON_ARGS), supports_check_mode=True)
    run_when_needed(module, 'createdb')


if __name__ == '__main__':
    main()

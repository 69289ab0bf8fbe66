#!/usr/bin/python
# Configures the web servers for every instance with `vxcfg webconf`, only when a check run of it
# finds something to change: a real run always refreshes the backups.
from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r'''
---
module: webconf
short_description: Configure the web servers for every Vendrix instance
description:
  - Runs C(vxcfg webconf), which rewrites the product's marked blocks in the web servers' files
    for every instance in the data file; the user's own lines stay as they are.
  - A check run of C(vxcfg webconf) is made first; the real run follows only when it finds
    something to change, so a second run of the same play reports no change.
  - Supports check mode and diff mode (the unified diffs vxcfg gives).
version_added: "1.0.0"
extends_documentation_fragment:
  - vendrix.vxconfig.vxcfg
author:
  - vxconfig developers
'''

EXAMPLES = r'''
- name: Configure the web servers
  vendrix.vxconfig.webconf:

- name: Configure the web servers of a sandbox installation
  vendrix.vxconfig.webconf:
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
    run_when_needed(module, 'webconf')


if __name__ == '__main__':
    main()
